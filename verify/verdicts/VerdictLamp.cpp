#include "VerdictLamp.h"

BookmarkStatus StatusOfVerdict(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Alive:
        return StatusAlive;
    case Verdict::Dead:
        return StatusDead;
    case Verdict::Unsure:
        return StatusUnsure;
    case Verdict::Unchecked:
        break;
    }
    return StatusUnchecked;
}
