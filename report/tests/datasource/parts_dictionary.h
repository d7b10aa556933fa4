#pragma once
// The dictionary of the attribute-path tests: parts (bolts among them) that refer to materials.
namespace dstest {

inline constexpr const char* kPartsDictionary =
    "SCHEMA parts;\n"
    "ENTITY part;\n"
    "  name : OPTIONAL STRING;\n"
    "  count : OPTIONAL INTEGER;\n"
    "  weight : OPTIONAL REAL;\n"
    "  done : OPTIONAL BOOLEAN;\n"
    "  material : OPTIONAL material;\n"
    "END_ENTITY;\n"
    "ENTITY bolt SUBTYPE OF (part);\n"
    "  thread : OPTIONAL STRING;\n"
    "END_ENTITY;\n"
    "ENTITY material;\n"
    "  name : OPTIONAL STRING;\n"
    "  density : OPTIONAL REAL;\n"
    "  grade : OPTIONAL INTEGER;\n"
    "END_ENTITY;\n"
    "END_SCHEMA;\n";

}  // namespace dstest
