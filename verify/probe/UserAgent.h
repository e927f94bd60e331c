#pragma once

// What the program calls itself in every request it makes.
inline constexpr char ProgramUserAgent[] = "InetURL:/1.0";
