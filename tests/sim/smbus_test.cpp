#include "sim/smbus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace ynvex::sim {
namespace {

TEST(SmbusSegment, EepromBytesWordsAndAbsentAddresses) {
    SmbusSegment bus;
    SpdEeprom& eeprom = bus.attach(0x50);
    eeprom.bytes[0] = 0x80;
    eeprom.bytes[1] = 0x08;
    eeprom.bytes[255] = 0x11;
    EXPECT_EQ(bus.read_byte_data(0x50, 0), 0x80);
    EXPECT_EQ(bus.read_word_data(0x50, 0), 0x0880);    // first byte is the low byte
    EXPECT_EQ(bus.read_word_data(0x50, 255), 0x8011);  // the pointer wraps at 256
    EXPECT_EQ(bus.read_byte_data(0x51, 0), std::nullopt);
    EXPECT_FALSE(bus.write_byte_data(0x51, 0, 1));
    EXPECT_TRUE(bus.write_word_data(0x50, 10, 0xBEEF));
    EXPECT_EQ(eeprom.bytes[10], 0xEF);
    EXPECT_EQ(eeprom.bytes[11], 0xBE);
    bus.detach(0x50);
    EXPECT_EQ(bus.read_byte_data(0x50, 0), std::nullopt);
}

TEST(SpdEeprom, WriteCycleNacksTheNextTransactionsThenTheWriteIsThere) {
    SmbusSegment bus;
    SpdEeprom& eeprom = bus.attach(0x50);
    eeprom.write_cycle_transactions = 2;
    EXPECT_TRUE(bus.write_byte_data(0x50, 4, 0x44));
    EXPECT_EQ(bus.read_byte_data(0x50, 4), std::nullopt);
    EXPECT_FALSE(bus.write_word_data(0x50, 6, 0x1234));  // writes are refused too
    EXPECT_EQ(bus.read_byte_data(0x50, 4), 0x44);
    EXPECT_EQ(eeprom.bytes[6], 0xFF);
    EXPECT_TRUE(bus.write_word_data(0x50, 6, 0x1234));
    EXPECT_EQ(bus.read_word_data(0x50, 6), std::nullopt);
    EXPECT_EQ(bus.read_word_data(0x50, 6), std::nullopt);
    EXPECT_EQ(bus.read_word_data(0x50, 6), 0x1234);
}

TEST(SpdEeprom, FailingOffsetNacksOnlyItsReads) {
    SmbusSegment bus;
    SpdEeprom& eeprom = bus.attach(0x50);
    eeprom.failing_offsets = {0x12};
    EXPECT_EQ(bus.read_byte_data(0x50, 0), 0xFF);
    EXPECT_EQ(bus.read_byte_data(0x50, 0x12), std::nullopt);
    EXPECT_EQ(bus.read_word_data(0x50, 0x12), std::nullopt);
    EXPECT_EQ(bus.read_byte_data(0x50, 0x13), 0xFF);
    EXPECT_TRUE(bus.write_byte_data(0x50, 0x12, 1));
    EXPECT_EQ(eeprom.bytes[0x12], 1);
}

TEST(SpdEeprom, LoadsADumpAndRefusesAMissingFile) {
    const std::string path = ::testing::TempDir() + "eeprom_load.bin";
    {
        std::ofstream out(path, std::ios::binary);
        out.write("\x80\x08\x04", 3);
    }
    SpdEeprom eeprom;
    ASSERT_TRUE(eeprom.load(path));
    EXPECT_EQ(eeprom.bytes[0], 0x80);
    EXPECT_EQ(eeprom.bytes[2], 0x04);
    EXPECT_EQ(eeprom.bytes[3], 0xFF);
    EXPECT_FALSE(eeprom.load(path + ".missing"));
    EXPECT_EQ(eeprom.bytes[0], 0x80);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace ynvex::sim
