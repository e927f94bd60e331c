#pragma once

#include <QString>

// "1 link", "3 links": a count with the word that goes with it.
QString CountedText(int count, const char* one, const char* many);
