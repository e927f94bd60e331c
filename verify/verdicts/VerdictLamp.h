#pragma once

#include "BookmarkEntry.h"
#include "Verdict.h"

// The lamp a verdict lights.
BookmarkStatus StatusOfVerdict(Verdict verdict);
