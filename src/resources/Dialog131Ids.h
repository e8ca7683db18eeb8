// The Encryption page's ids, for its template (Dialog131.cpp), CEncryptionPage and the tests.
#pragma once

#include "platform/Win32Types.h"

constexpr UINT IDD_ENCRYPTION = 131;
constexpr int IDC_ACTIVE_KEY = 1076, IDC_WEP_TYPE = 1083, IDC_AUTH_TYPE = 1084;

// The key fields by key and byte (byte 0 leftmost).
constexpr int kKey64Ids[4][5] = {{1058, 1057, 1056, 1055, 1054},
                                 {1063, 1062, 1061, 1060, 1059},
                                 {1068, 1067, 1066, 1065, 1064},
                                 {1073, 1072, 1071, 1070, 1069}};
constexpr int kKey128Ids[4][13] = {
    {1085, 1013, 1012, 1011, 1086, 1087, 1088, 1005, 1006, 1007, 1008, 1009, 1010},
    {1027, 1026, 1025, 1024, 1089, 1090, 1091, 1092, 1093, 1020, 1021, 1022, 1023},
    {1040, 1039, 1038, 1037, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036},
    {1053, 1052, 1051, 1050, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049}};
// The same fields as the id ranges they fill: the 64-bit ones 1054..1073, the 128-bit ones
// 1005..1013, 1020..1053 and 1085..1093.
constexpr int IDC_KEY64_FIRST = 1054, IDC_KEY64_LAST = 1073;
constexpr int IDC_KEY128_FIRST_A = 1005, IDC_KEY128_LAST_A = 1013, IDC_KEY128_FIRST_B = 1020,
              IDC_KEY128_LAST_B = 1053, IDC_KEY128_FIRST_C = 1085, IDC_KEY128_LAST_C = 1093;
