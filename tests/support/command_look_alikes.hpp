// SPDX-License-Identifier: MIT
// Command lines and lines that look like them, and the places to put them:
// the table that loaders are held to one another on.
#ifndef QUELMIX_TESTS_COMMAND_LOOK_ALIKES_HPP
#define QUELMIX_TESTS_COMMAND_LOOK_ALIKES_HPP

namespace quelmix::test {

inline constexpr const char *COMMAND_LOOK_ALIKES[] = {
    "REG = 0x3008, 0x82",
    "REG=1",
    "REG:1",
    "  DELAY\t=\t5\r",
    "VRCMD = 0x01, 0xF7B1, 0x0000",
    "REG =",
    "REG = ; all comment",
    "REG =;x",
    "REG = 0x",
    "REG = 0X1f",
    "REG = -0x10",
    "REG = +0x10",
    "REG = +5",
    "REG = -5",
    "REG = -",
    "REG = 1 2",
    "REG = 1e3",
    "REG = 1, ;c",
    "REG = 1,;c",
    "REG = 1;c",
    "REG = 1 ;c",
    "REG = 1 //c",
    "REG = 1//c",
    "REG = 1 /c",
    "REG = 1,",
    "REG = ,1",
    "REG = 1,,2",
    "REG = 1, ,2",
    "REG = 1 , 2",
    "REG = 010",
    "REG = 000000000000001",
    "REG = 0000000000000001",
    "REG = 123456789012345",
    "REG = 1234567890123456",
    "REG = 0xFFFFFFFFFFFFFFFF",
    "REG = 0x8000000000000000",
    "REG = 0x10000000000000000",
    "REG = 99999999999999999999",
    "REG = -99999999999999999999",
    "REG = 4294967296",
    "REG = -2147483649",
    "REGX = 1",
    "REG ; = 1",
    "REG\v= 1",
    "REG = 1\v,2",
    "reg = 1",
    "DELAY = 1 = 2",
    "VRCM = 1",
    "REG = 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16",
    "REG = 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,",
    "REG = 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17",
    "\xEF\xBB\xBFREG = 1",
};

// Every kind of section, and none at all.
inline constexpr const char *LOOK_ALIKE_SECTIONS[] = {
    "[register parameter]\n",
    "[board parameter][dev2]\n",
    "[camera parameter]\n",
    "[control parameter]\n",
    "[other]\n",
    ""};

// Every line ending, and none at the file's end.
inline constexpr const char *LOOK_ALIKE_ENDINGS[] = {"\n", "\r\n", ""};

} // namespace quelmix::test

#endif
