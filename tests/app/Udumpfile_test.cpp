#include "app/Udumpfile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ynvex {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const fs::path kData = fs::path(YNVEX_TEST_DATA) / "dumpfile";

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

SpdBytes First128(const std::string& bytes) {
    SpdBytes out{};
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(bytes.at(i));
    return out;
}

// Bytes 0..n-1 with values that exercise every hex digit, zero included.
std::string Counting(std::size_t n) {
    std::string bytes;
    for (std::size_t i = 0; i < n; ++i) bytes += static_cast<char>((i * 37 + 0x80) & 0xFF);
    return bytes;
}

std::string HexText(const std::string& bytes, const char* format = "%02x ") {
    std::string text;
    char field[8];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(field, sizeof field, format, static_cast<unsigned char>(bytes[i]));
        text += field;
        if (i % 16 == 15) text += '\n';
    }
    return text;
}

TEST(SpdDumpFormats, TheThreeFormsOfOneModuleGiveItsBytes) {
    const SpdBytes sdram = First128(Slurp(kData / "sdram-256.bin"));
    const SpdBytes ddr = First128(Slurp(kData / "ddr.bin"));
    struct Case {
        const char* file;
        DumpFormat format;
        const SpdBytes& expected;
    };
    for (const Case& c :
         {Case{"sdram-256.bin", DumpFormat::Binary, sdram},
          Case{"sdram.i2cdump", DumpFormat::I2cdump, sdram},
          Case{"ddr.bin", DumpFormat::Binary, ddr}, Case{"ddr.hex", DumpFormat::HexText, ddr}}) {
        const SpdDump dump = ReadSpdDumpFile(kData / c.file);
        EXPECT_TRUE(dump.ok()) << c.file << ": " << dump.error;
        EXPECT_EQ(dump.format, c.format) << c.file;
        EXPECT_EQ(dump.bytes, c.expected) << c.file;
    }
}

TEST(SpdDumpFormats, BinaryTakesBytes0To127Only) {
    const std::string bytes = Counting(200);
    const SpdDump dump = ParseSpdDump(bytes);
    ASSERT_TRUE(dump.ok()) << dump.error;
    EXPECT_EQ(dump.format, DumpFormat::Binary);
    EXPECT_EQ(dump.bytes, First128(bytes));
}

TEST(SpdDumpFormats, HexTextSpellings) {
    const std::string bytes = Counting(128);
    for (const std::string& text : {
             HexText(bytes),                   // lower case
             HexText(bytes, "%02X\t"),         // upper case, tabs
             HexText(bytes, "0x%02X "),        // C-style prefix
             HexText(bytes, "0X%02x\r\n"),     // one per line, CR LF
             "\xEF\xBB\xBF" + HexText(bytes),  // a UTF-8 byte-order mark
             HexText(Counting(131)),           // extra bytes are ignored
         }) {
        const SpdDump dump = ParseSpdDump(text);
        EXPECT_TRUE(dump.ok()) << dump.error;
        EXPECT_EQ(dump.format, DumpFormat::HexText);
        EXPECT_EQ(dump.bytes, First128(bytes)) << text.substr(0, 40);
    }
}

TEST(SpdDumpFormats, I2cdumpAsciiColumnIsNotMistakenForBytes) {
    // The character column holds hex-looking text and the header is
    // preceded by i2cdump's notice; neither may leak into the bytes.
    std::string text = "No size specified (using byte-data access)\n";
    text += "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
    for (int row = 0; row < 16; ++row) {
        char line[96];
        std::snprintf(line, sizeof line,
                      "%02x: %02x 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff    "
                      "ab cd ef 01 23 4\n",
                      row * 16, row);
        text += line;
    }
    const SpdDump dump = ParseSpdDump(text);
    ASSERT_TRUE(dump.ok()) << dump.error;
    EXPECT_EQ(dump.format, DumpFormat::I2cdump);
    for (std::size_t i = 0; i < kSpdBytesUsed; ++i) {
        const std::size_t k = i % 16;
        EXPECT_EQ(dump.bytes[i], k == 0 ? i / 16 : k * 0x11) << "byte " << i;
    }
}

struct BadContents {
    const char* what;
    std::string contents;
    const char* message;
};

void PrintTo(const BadContents& c, std::ostream* os) {
    *os << c.what;
}

class SpdDumpErrors : public ::testing::TestWithParam<BadContents> {};

TEST_P(SpdDumpErrors, SaysWhatIsWrong) {
    const SpdDump dump = ParseSpdDump(GetParam().contents);
    EXPECT_FALSE(dump.ok());
    EXPECT_THAT(dump.error, HasSubstr(GetParam().message));
}

// Text as Windows' editors save it in "Unicode": UTF-16LE.
std::string Utf16(const std::string& ascii, bool bom) {
    std::string out = bom ? "\xFF\xFE" : "";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string I2cdumpRows(int rows, const std::string& replace_row3 = {}) {
    std::string text = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f    0123456789abcdef\n";
    for (int r = 0; r < rows; ++r) {
        char line[96];
        std::snprintf(line, sizeof line,
                      "%02x: 80 08 04 0d 09 02 40 00 01 75 54 00 82 10 00 01    ?.....@..uT.?...\n",
                      r * 16);
        text += (r == 3 && !replace_row3.empty()) ? replace_row3 : line;
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SpdDumpErrors,
    ::testing::Values(
        BadContents{"empty", "", "holds only 0 bytes, an SPD dump needs at least 128"},
        BadContents{"short binary", Counting(127), "holds only 127 bytes"},
        BadContents{"short hex", HexText(Counting(127)), "holds only 127 bytes"},
        BadContents{"one digit", "80 8 04", "line 1: '8' is not a byte of two hex digits"},
        BadContents{"hexdump -C", "00000000  80 08 04", "'00000000' is not a byte"},
        BadContents{"commas", HexText(Counting(16), "0x%02x, "), "'0x80,' is not a byte"},
        BadContents{"prose", "hello world\n", "line 1: 'hello' is not a byte"},
        BadContents{"stray UTF-8 in text", HexText(Counting(128)) + "\xC3\xA9\n",
                    "looks like text but holds a byte that is not ASCII (0xC3 at offset 392)"},
        BadContents{"seven i2cdump rows", I2cdumpRows(7), "holds only 112 bytes"},
        BadContents{"i2cdump XX",
                    I2cdumpRows(8, "30: 80 XX 04 0d 09 02 40 00 01 75 54 00 82 10 00 01\n"),
                    "line 5: byte 49 is XX, i2cdump could not read it"},
        BadContents{"i2cdump row missing",
                    I2cdumpRows(8, "40: 80 08 04 0d 09 02 40 00 01 75 54 00 82 10 00 01\n"),
                    "line 5 is row '40:' where row '30:' belongs"},
        BadContents{"i2cdump row cut short", I2cdumpRows(8, "30: 80 08 04\n"),
                    "line 5: byte 51 is '', not two hex digits"},
        BadContents{"i2cdump bad byte",
                    I2cdumpRows(8, "30: 80 08 04 0g 09 02 40 00 01 75 54 00 82 10 00 01\n"),
                    "line 5: byte 51 is '0g ', not two hex digits"},
        BadContents{"i2cdump garbage row", I2cdumpRows(2) + "Error: bus busy\n",
                    "line 4 is not an i2cdump row: 'Error: bus busy'"},
        BadContents{"UTF-16 with BOM", Utf16(HexText(Counting(128)), true),
                    "is UTF-16 text; save it as ASCII or UTF-8"},
        BadContents{"UTF-16 without BOM", Utf16(HexText(Counting(128)), false), "is UTF-16 text"},
        BadContents{"huge", std::string(kMaxDumpFileSize + 1, '\x80'), "is too large"}),
    [](const auto& info) {
        std::string name;
        for (char c : std::string(info.param.what))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

class SpdDumpFiles : public ::testing::Test {
  protected:
    SpdDumpFiles() {
        std::string pattern = (fs::temp_directory_path() / "ynvex-dumpfile-XXXXXX").string();
        dir_ = mkdtemp(pattern.data());
    }
    ~SpdDumpFiles() override { fs::remove_all(dir_); }
    fs::path write(const std::string& name, const std::string& contents) {
        std::ofstream(dir_ / name, std::ios::binary) << contents;
        return dir_ / name;
    }
    fs::path dir_;
};

TEST_F(SpdDumpFiles, ErrorsNameTheFile) {
    const fs::path missing = dir_ / "missing.bin";
    EXPECT_EQ(ReadSpdDumpFile(missing).error,
              missing.string() + ": cannot open: No such file or directory");
    EXPECT_EQ(ReadSpdDumpFile(dir_).error,
              dir_.string() + ": is a directory, not an SPD dump file");
    const fs::path shorty = write("short.bin", Counting(100));
    EXPECT_EQ(ReadSpdDumpFile(shorty).error,
              shorty.string() + ": holds only 100 bytes, an SPD dump needs at least 128");
}

TEST_F(SpdDumpFiles, AFileAtTheSizeBoundIsReadAndOnePastItIsRefused) {
    std::string at_bound = Counting(128);
    at_bound.resize(kMaxDumpFileSize, '\0');
    EXPECT_TRUE(ReadSpdDumpFile(write("big.bin", at_bound)).ok());
    at_bound += '\0';
    EXPECT_THAT(ReadSpdDumpFile(write("bigger.bin", at_bound)).error,
                HasSubstr("bigger.bin: is too large"));
}

TEST_F(SpdDumpFiles, UnreadableFileIsAnError) {
    const fs::path locked = write("locked.bin", Counting(128));
    fs::permissions(locked, fs::perms::none);
    std::ifstream probe(locked);
    if (probe) GTEST_SKIP() << "running with the privilege to read any file";
    EXPECT_EQ(ReadSpdDumpFile(locked).error, locked.string() + ": cannot open: Permission denied");
}

}  // namespace
}  // namespace ynvex
