#pragma once
// Fixed values of the R2000 (AC1015) DWG format: section sentinels, section
// numbers, object type codes, class numbers and small conversions.
#include <cstdint>
#include <iterator>
#include <string_view>

#include "cad/drawing.h"

namespace ostrel::cad::dwg {

inline constexpr std::uint8_t kFileHeaderEnd[16] = {0x95, 0xA0, 0x4E, 0x28, 0x99, 0x82, 0x1A, 0xE5,
                                                    0x5E, 0x41, 0xE0, 0x5F, 0x9D, 0x3A, 0x4D, 0x00};
inline constexpr std::uint8_t kHeaderBegin[16] = {0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                                  0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
inline constexpr std::uint8_t kHeaderEnd[16] = {0x30, 0x84, 0xE0, 0xDC, 0x02, 0x21, 0xC7, 0x56,
                                                0xA0, 0x83, 0x97, 0x47, 0xB1, 0x92, 0xCC, 0xA0};
inline constexpr std::uint8_t kClassesBegin[16] = {0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                                   0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};
inline constexpr std::uint8_t kClassesEnd[16] = {0x72, 0x5E, 0x3B, 0x47, 0x3B, 0x56, 0x07, 0x3A,
                                                 0x3F, 0x23, 0x0B, 0xA0, 0x18, 0x30, 0x49, 0x75};
inline constexpr std::uint8_t kPreviewBegin[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                                   0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
inline constexpr std::uint8_t kPreviewEnd[16] = {0xE0, 0xDA, 0x92, 0xF8, 0x2B, 0xC9, 0xD7, 0xD7,
                                                 0x62, 0xA8, 0x35, 0xC0, 0x62, 0xBB, 0xEF, 0xD4};
inline constexpr std::uint8_t kSecondHeaderBegin[16] = {0xD4, 0x7B, 0x21, 0xCE, 0x28, 0x93, 0x9F, 0xBF,
                                                        0x53, 0x24, 0x40, 0x09, 0x12, 0x3C, 0xAA, 0x01};
inline constexpr std::uint8_t kSecondHeaderEnd[16] = {0x2B, 0x84, 0xDE, 0x31, 0xD7, 0x6C, 0x60, 0x40,
                                                      0xAC, 0xDB, 0xBF, 0xF6, 0xED, 0xC3, 0x55, 0xFE};

inline constexpr std::size_t kFileHeaderSize = 0x61;   // with six section locators
inline constexpr std::size_t kObjectMapPageLimit = 2032;
inline constexpr std::uint16_t kCodePageAnsi1252 = 30;
inline constexpr std::uint8_t kAcadVersionR2000 = 23;  // the aux header's number for AC1015

// Section locator record numbers.
enum SectionNumber : std::uint8_t {
    kSectionHeader = 0,
    kSectionClasses = 1,
    kSectionObjectMap = 2,
    kSectionFreeSpace = 3,
    kSectionTemplate = 4,
    kSectionAuxHeader = 5,
};

// Fixed object type codes.
enum ObjectTypeCode : std::int16_t {
    kTypeText = 1,
    kTypeBlock = 4,
    kTypeEndBlk = 5,
    kTypeSeqEnd = 6,
    kTypeInsert = 7,
    kTypeMInsert = 8,
    kTypeVertex2D = 10,
    kTypeVertex3D = 11,
    kTypePolyline2D = 15,
    kTypePolyline3D = 16,
    kTypeArc = 17,
    kTypeCircle = 18,
    kTypeLine = 19,
    kTypePoint = 27,
    kTypeFace3D = 28,
    kTypeViewport = 34,
    kTypeDictionary = 42,
    kTypeBlockControl = 48,
    kTypeBlockHeader = 49,
    kTypeLayerControl = 50,
    kTypeLayer = 51,
    kTypeStyleControl = 52,
    kTypeStyle = 53,
    kTypeLtypeControl = 56,
    kTypeLtype = 57,
    kTypeViewControl = 60,
    kTypeView = 61,
    kTypeUcsControl = 62,
    kTypeUcs = 63,
    kTypeVportControl = 64,
    kTypeVport = 65,
    kTypeAppidControl = 66,
    kTypeAppid = 67,
    kTypeDimstyleControl = 68,
    kTypeDimstyle = 69,
    kTypeVxControl = 70,
    kTypeVx = 71,
    kTypeGroup = 72,
    kTypeMlineStyle = 73,
    kTypeHatch = 78,
    kTypeXRecord = 79,
    kTypePlaceholder = 80,
    kTypeLayout = 82,
};

// The classes this writer declares; objects of a class take 500 + its index.
// From R2004 a class says how many objects of it the file holds and the
// release (and maintenance version) that defined it, as the leading
// program's files give them.
inline constexpr std::string_view kClassAppName = "ObjectDBX Classes";
struct ClassDef {
    std::string_view dxfName;
    std::string_view cppName;
    std::uint16_t proxyFlags;
    bool entity;
    ObjectType type;
    std::uint16_t release, maintenance;
    std::string_view appName = kClassAppName;
};
inline constexpr ClassDef kWrittenClasses[] = {
    {"ACDBDICTIONARYWDFLT", "AcDbDictionaryWithDefault", 0, false, ObjectType::DictionaryWithDefault, 22, 42},
    {"ACDBPLACEHOLDER", "AcDbPlaceHolder", 0, false, ObjectType::Placeholder, 22, 42},
    {"LAYOUT", "AcDbLayout", 0, false, ObjectType::Layout, 22, 42},
    {"DICTIONARYVAR", "AcDbDictionaryVar", 0, false, ObjectType::DictionaryVar, 22, 42},
    {"SCALE", "AcDbScale", 1153, false, ObjectType::Scale, 22, 42},
    {"MLEADERSTYLE", "AcDbMLeaderStyle", 4095, false, ObjectType::MLeaderStyle, 22, 42, "ACDB_MLEADERSTYLE_CLASS"},
    {"TABLESTYLE", "AcDbTableStyle", 4095, false, ObjectType::TableStyle, 22, 42},
    {"MATERIAL", "AcDbMaterial", 1153, false, ObjectType::Material, 22, 42},
    {"VISUALSTYLE", "AcDbVisualStyle", 4095, false, ObjectType::VisualStyle, 22, 42},
};
// The number objects of a written class take: 500 + its place in the list.
constexpr std::int16_t ClassNumberOf(ObjectType type) {
    for (std::size_t i = 0; i < std::size(kWrittenClasses); ++i)
        if (kWrittenClasses[i].type == type) return static_cast<std::int16_t>(500 + i);
    return 0;
}
inline constexpr std::int16_t kClassDictionaryWithDefault = 500;
inline constexpr std::int16_t kClassPlaceholder = 501;
inline constexpr std::int16_t kClassLayout = 502;
inline constexpr std::int16_t kClassDictionaryVar = 503;
inline constexpr std::int16_t kClassScale = 504;
inline constexpr std::int16_t kClassMLeaderStyle = 505;
inline constexpr std::int16_t kClassTableStyle = 506;

// R2007 and later put the size in bits of the header's and the classes' data
// (their strings included) before it, counted from that field on; a reader
// finds the strings' end bit from it (and from the high part of the section
// size, where the file has one).

// Lineweights are stored as an index into this table; 29 is ByLayer,
// 30 ByBlock, 31 the default.
inline constexpr std::int16_t kLineweights[24] = {0,  5,  9,  13, 15, 18,  20,  25,  30,  35,  40,  50,
                                                  53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
std::uint8_t LineweightIndex(std::int16_t lineweight);
std::int16_t LineweightFromIndex(unsigned index);

// Code page numbers stored in the file header.
std::uint16_t CodePageNumber(std::string_view name);
const char* CodePageName(std::uint16_t number);

} // namespace ostrel::cad::dwg
