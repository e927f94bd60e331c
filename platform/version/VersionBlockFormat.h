#pragma once

#include <QtGlobal>
#include <cstdint>

// Layout constants of a VS_VERSIONINFO block, shared by its writer and reader.
namespace VersionBlockFormat {

inline constexpr char RootKey[] = "VS_VERSION_INFO";
inline constexpr char StringFileInfoKey[] = "StringFileInfo";
inline constexpr char VarFileInfoKey[] = "VarFileInfo";
inline constexpr char TranslationName[] = "Translation";

inline constexpr std::uint32_t FixedInfoSignature = 0xFEEF04BD;
inline constexpr std::uint32_t FixedInfoStructVersion = 0x00010000;
inline constexpr std::uint16_t FixedInfoSize = 13 * 4; // VS_FIXEDFILEINFO
inline constexpr std::uint32_t FixedFlagsMask = 0x3F;
inline constexpr std::uint32_t OsWindows32 = 4; // VOS__WINDOWS32
inline constexpr std::uint32_t FileTypeApp = 1; // VFT_APP

inline constexpr std::uint16_t TypeBinary = 0;
inline constexpr std::uint16_t TypeText = 1;

inline constexpr qsizetype HeaderSize = 6; // wLength, wValueLength, wType

// Every node starts on a 32-bit boundary, counted from the start of the block.
inline constexpr qsizetype align4(qsizetype offset)
{
    return (offset + 3) & ~qsizetype(3);
}

} // namespace VersionBlockFormat
