#include "CompoundFileReader.h"
#include "CompoundFileWriter.h"
#include "LittleEndian.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

std::vector<uint8_t> pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 9));
    }
    return bytes;
}

std::vector<uint8_t> readBack(cfb::CompoundFileReader& reader, std::u16string_view name) {
    const auto index = reader.findChild(0, name);
    EXPECT_TRUE(index.has_value());
    std::vector<uint8_t> out;
    if (index) {
        EXPECT_TRUE(reader.readStream(*index, out)) << reader.error();
    }
    return out;
}

TEST(CompoundFile, StreamsOfEverySizeRoundTrip) {
    cfb::CompoundFileWriter writer;
    const std::vector<size_t> sizes = {0, 1, 63, 64, 65, 4095, 4096, 4097, 70000};
    std::vector<std::u16string> names;
    for (size_t i = 0; i < sizes.size(); ++i) {
        names.push_back(u"Stream" + std::u16string(1, static_cast<char16_t>(u'A' + i)));
        writer.addStream(names.back(), pattern(sizes[i], static_cast<uint8_t>(i)));
    }
    const std::vector<uint8_t> file = writer.finish();
    ASSERT_EQ(file.size() % 512, 0u);

    cfb::CompoundFileReader reader;
    ASSERT_TRUE(reader.open(file)) << reader.error();
    for (size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_EQ(readBack(reader, names[i]), pattern(sizes[i], static_cast<uint8_t>(i)))
            << "size " << sizes[i];
    }
    // Names are found without regard to case; absent names are not found.
    EXPECT_TRUE(reader.findChild(0, u"streama").has_value());
    EXPECT_FALSE(reader.findChild(0, u"Workbook").has_value());
}

TEST(CompoundFile, LargeStreamNeedsDifatSectors) {
    // More than 109 FAT sectors (about 7 MB of 512-byte sectors) need the DIFAT chain.
    const std::vector<uint8_t> big = pattern(8 * 1024 * 1024, 3);
    cfb::CompoundFileWriter writer;
    writer.addStream(u"Workbook", big);
    const std::vector<uint8_t> file = writer.finish();
    EXPECT_GT(le::u32(file.data() + 0x48), 0u); // DIFAT sector count
    cfb::CompoundFileReader reader;
    ASSERT_TRUE(reader.open(file)) << reader.error();
    EXPECT_EQ(readBack(reader, u"Workbook"), big);
}

// A stream written piece by piece inside its frame gives the same file as the
// stream handed over whole, whether its last sector is full or not and with
// or without DIFAT sectors.
TEST(CompoundFile, StreamFramedAfterItIsWrittenMakesTheSameFile) {
    for (const size_t size : {size_t{4096}, size_t{70001}, size_t{8 * 1024 * 1024 + 3}}) {
        const std::vector<uint8_t> stream = pattern(size, 5);
        cfb::CompoundFileWriter whole;
        whole.addStream(u"Workbook", stream);

        const cfb::CompoundFileWriter::Frame frame =
            cfb::CompoundFileWriter::frameForStream(u"Workbook", size);
        ASSERT_EQ(frame.header.size(), cfb::CompoundFileWriter::kHeaderBytes);
        std::vector<uint8_t> framed = frame.header;
        framed.insert(framed.end(), stream.begin(), stream.end());
        framed.insert(framed.end(), frame.trailer.begin(), frame.trailer.end());
        EXPECT_EQ(framed, whole.finish()) << "size " << size;
    }
}

// A version 4 file with 4096-byte sectors, made by hand: sector 0 the FAT,
// sector 1 the directory, sectors 2 and 3 a 5000-byte stream.
std::vector<uint8_t> version4File(const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> file(4096 * 5, 0);
    uint8_t* h = file.data();
    std::copy(std::begin(cfb::kSignature), std::end(cfb::kSignature), h);
    le::set16(h + 0x18, 0x3E);
    le::set16(h + 0x1A, 4);
    le::set16(h + 0x1C, 0xFFFE);
    le::set16(h + 0x1E, 12);
    le::set16(h + 0x20, 6);
    le::set32(h + 0x2C, 1);
    le::set32(h + 0x30, 1);
    le::set32(h + 0x38, 4096);
    le::set32(h + 0x3C, cfb::kEndOfChain);
    le::set32(h + 0x44, cfb::kEndOfChain);
    for (int i = 0; i < 109; ++i) {
        le::set32(h + 0x4C + 4 * i, i == 0 ? 0 : cfb::kFreeSector);
    }
    uint8_t* fat = file.data() + 4096;
    for (int i = 0; i < 1024; ++i) {
        le::set32(fat + 4 * i, cfb::kFreeSector);
    }
    le::set32(fat + 0, cfb::kFatSector);
    le::set32(fat + 4, cfb::kEndOfChain);
    le::set32(fat + 8, 3);
    le::set32(fat + 12, cfb::kEndOfChain);
    uint8_t* dir = file.data() + 2 * 4096;
    const auto entry = [&](int index, std::u16string_view name, uint8_t type, uint32_t child,
                           uint32_t start, uint64_t size) {
        uint8_t* e = dir + 128 * index;
        for (size_t i = 0; i < name.size(); ++i) {
            le::set16(e + 2 * i, name[i]);
        }
        le::set16(e + 0x40, static_cast<uint16_t>(2 * name.size() + 2));
        e[0x42] = type;
        le::set32(e + 0x44, cfb::kNoStream);
        le::set32(e + 0x48, cfb::kNoStream);
        le::set32(e + 0x4C, child);
        le::set32(e + 0x74, start);
        le::set32(e + 0x78, static_cast<uint32_t>(size));
    };
    entry(0, u"Root Entry", 5, 1, cfb::kEndOfChain, 0);
    entry(1, u"Workbook", 2, cfb::kNoStream, 2, stream.size());
    std::copy(stream.begin(), stream.end(), file.begin() + 3 * 4096);
    return file;
}

TEST(CompoundFile, ReadsVersion4With4096ByteSectors) {
    const std::vector<uint8_t> stream = pattern(5000, 9);
    const std::vector<uint8_t> file = version4File(stream);
    cfb::CompoundFileReader reader;
    ASSERT_TRUE(reader.open(file)) << reader.error();
    EXPECT_EQ(readBack(reader, u"Workbook"), stream);
}

class HostileCompoundFile : public ::testing::Test {
protected:
    void SetUp() override {
        cfb::CompoundFileWriter writer;
        writer.addStream(u"Workbook", pattern(20000, 1));
        writer.addStream(u"Small", pattern(100, 2));
        file_ = writer.finish();
    }
    // The FAT is the last sector of this small file.
    uint8_t* fatEntry(uint32_t sector) {
        return file_.data() + 512 * (1 + le::u32(file_.data() + 0x4C)) + 4 * sector;
    }
    uint8_t* directoryEntry(uint32_t index) {
        return file_.data() + 512 * (1 + le::u32(file_.data() + 0x30)) + 128 * index;
    }
    bool readWorkbook(std::string& error) {
        cfb::CompoundFileReader reader;
        std::vector<uint8_t> out;
        const bool ok = reader.open(file_) && reader.findChild(0, u"Workbook") &&
                        reader.readStream(*reader.findChild(0, u"Workbook"), out);
        error = reader.error();
        return ok;
    }
    std::vector<uint8_t> file_;
};

TEST_F(HostileCompoundFile, LoopingChainIsRefused) {
    le::set32(fatEntry(5), 2); // sector 5 leads back to sector 2
    std::string error;
    EXPECT_FALSE(readWorkbook(error));
    EXPECT_NE(error.find("chain"), std::string::npos) << error;
}

TEST_F(HostileCompoundFile, ChainLeavingTheFileIsRefused) {
    le::set32(fatEntry(3), 0x00FFFFFF);
    std::string error;
    EXPECT_FALSE(readWorkbook(error));
}

TEST_F(HostileCompoundFile, StreamLongerThanItsChainIsRefusedWithoutAllocating) {
    le::set32(directoryEntry(1) + 0x78, 0xFFFFFFF0u); // claims almost 4 GB
    std::string error;
    EXPECT_FALSE(readWorkbook(error));
    EXPECT_NE(error.find("longer"), std::string::npos) << error;
}

TEST_F(HostileCompoundFile, CyclicDirectoryTreeEnds) {
    // Root's child points at itself through the siblings.
    le::set32(directoryEntry(1) + 0x44, 1);
    le::set32(directoryEntry(1) + 0x48, 0);
    cfb::CompoundFileReader reader;
    ASSERT_TRUE(reader.open(file_));
    EXPECT_FALSE(reader.findChild(0, u"Absent").has_value());
}

TEST_F(HostileCompoundFile, TruncatedAndForeignInputsAreRefused) {
    cfb::CompoundFileReader reader;
    EXPECT_FALSE(reader.open(std::span(file_).first(300)));
    EXPECT_FALSE(reader.open(std::span(file_).first(1024)));
    std::vector<uint8_t> text(2048, 'x');
    EXPECT_FALSE(reader.open(text));
    EXPECT_EQ(reader.error(), "not a compound file");
    le::set32(file_.data() + 0x2C, 0x7FFFFFFF); // FAT sector count
    EXPECT_FALSE(reader.open(file_));
}

TEST_F(HostileCompoundFile, EveryTruncationFailsCleanly) {
    const std::vector<uint8_t> whole = file_;
    for (size_t size = 0; size < whole.size(); size += 97) {
        cfb::CompoundFileReader reader;
        std::vector<uint8_t> out;
        if (reader.open(std::span(whole).first(size))) {
            if (auto index = reader.findChild(0, u"Workbook")) {
                if (reader.readStream(*index, out)) {
                    EXPECT_EQ(out, pattern(20000, 1));
                }
            }
        }
    }
}

} // namespace
