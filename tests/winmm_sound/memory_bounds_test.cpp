// sndPlaySoundA never reads outside the caller's buffer: with SND_MEMORY only a buffer whose length
// the layer knows is read, and only as far as it goes; with a path only a regular file is opened.
// Each image lies at the very end of a block of its own, so ASan sees any read past it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "bad_files.h"
#include "disk_audio.h"
#include "platform/buffers.h"
#include "winmm/sound.h"
#include "winmm/wav_image.h"

namespace {

using namespace std::chrono_literals;
using testsupport::DeviceFormatWav;
using testsupport::DistinctFrames;
using testsupport::Frame;
using Bytes = std::vector<std::uint8_t>;

void SetRiffSize(Bytes& image, std::uint32_t size) {
    for (int i = 0; i < 4; ++i) image[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
}

void SetDataSize(Bytes& image, std::uint32_t size) {
    for (int i = 0; i < 4; ++i) image[40 + i] = static_cast<std::uint8_t>(size >> (8 * i));
}

// A copy of `bytes` in a block of exactly its length, known to the layer while it lives.
class Block {
public:
    explicit Block(const Bytes& bytes) : size_(bytes.size()), bytes_(std::make_unique<std::uint8_t[]>(bytes.size())) {
        std::copy(bytes.begin(), bytes.end(), bytes_.get());
        platform::KnowBuffer(bytes_.get(), size_);
    }
    ~Block() { platform::KnowBuffer(bytes_.get(), 0); }
    LPCSTR address() const { return reinterpret_cast<LPCSTR>(bytes_.get()); }

private:
    std::size_t size_;
    std::unique_ptr<std::uint8_t[]> bytes_;
};

TEST(WavImageInBuffer, TheImageNeverReachesPastItsBuffer) {
    const Bytes header = testsupport::PcmWav(2, 44100, 16, {});  // 44 bytes, RIFF size 36
    struct Case {
        const char* name;
        std::size_t bufferSize;
        std::uint32_t riffSize;
        std::optional<std::size_t> imageSize;
    };
    const Case cases[] = {
        {"as claimed", 44, 36, 44},
        {"64 MiB claimed on 44 bytes", 44, 64u << 20, 44},
        {"1 MiB claimed on 1 KiB", 1024, 1u << 20, 1024},
        {"claim near 2^32", 44, 0xFFFFFFFFu, 44},
        {"claim of 2^32 - 8", 44, 0xFFFFFFF8u, 44},
        {"less claimed than there is", 1024, 36, 44},
        {"claim below the header", 44, 0, 12},
        {"exactly the header", 12, 4, 12},
        {"shorter than a header", 11, 36, std::nullopt},
        {"seven bytes", 7, 36, std::nullopt},
        {"nothing", 0, 36, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = header;
        bytes.resize(std::max<std::size_t>(c.bufferSize, 12), 0x11);
        SetRiffSize(bytes, c.riffSize);
        bytes.resize(c.bufferSize);
        const auto image = winmm::WavImageInBuffer(bytes);
        ASSERT_EQ(image.has_value(), c.imageSize.has_value());
        if (image) {
            EXPECT_EQ(image->data(), bytes.data());
            EXPECT_EQ(image->size(), *c.imageSize);
        }
    }
    Bytes hugeImage = header;
    hugeImage.resize(winmm::kMaxWavBytes + 16);
    SetRiffSize(hugeImage, static_cast<std::uint32_t>(hugeImage.size() - 8));
    EXPECT_FALSE(winmm::WavImageInBuffer(hugeImage).has_value());
}

class MemoryBounds : public ::testing::Test {
protected:
    void SetUp() override { audio_.emplace(); }
    void TearDown() override { audio_.reset(); }
    std::optional<testsupport::DiskAudio> audio_;
};

TEST_F(MemoryBounds, AnImageThatClaimsMoreThanItsBufferPlaysOnlyWhatIsThere) {
    // 1 KiB whose RIFF and data sizes both claim 1 MiB: the 245 frames present are heard, no more.
    const auto frames = DistinctFrames(1000);
    Bytes image = DeviceFormatWav(frames);
    image.resize(1024);
    SetRiffSize(image, 1u << 20);
    SetDataSize(image, 1u << 20);
    const std::vector<Frame> present(frames.begin(), frames.begin() + (1024 - 44) / 4);
    const Block block(image);
    for (int press = 0; press < 2; ++press) {
        SCOPED_TRACE(press);
        ASSERT_EQ(winmm::sndPlaySoundA(block.address(), SND_SYNC | SND_NODEFAULT | SND_MEMORY), TRUE);
        EXPECT_TRUE(audio_->Listen().Contains(present));
    }
}

TEST_F(MemoryBounds, LyingShortAndUnknownBuffersAreSafe) {
    Bytes lie = testsupport::PcmWav(2, 44100, 16, {});  // 44 bytes claiming 64 MiB
    SetRiffSize(lie, 64u << 20);
    Bytes nearWrap = DeviceFormatWav(DistinctFrames(50));
    SetRiffSize(nearWrap, 0xFFFFFFFFu);
    SetDataSize(nearWrap, 0xFFFFFFF0u);
    const Bytes seven{'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF};
    const Bytes riffOnly{'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A', 'V', 'E'};
    const Bytes* const images[] = {&lie, &nearWrap, &seven, &riffOnly};
    for (const Bytes* image : images) {
        SCOPED_TRACE(image->size());
        const Block block(*image);
        for (int press = 0; press < 2; ++press) {
            winmm::sndPlaySoundA(block.address(), SND_ASYNC | SND_MEMORY);
            winmm::sndPlaySoundA(block.address(), SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
        }
        winmm::sndPlaySoundA(nullptr, 0);
    }
    audio_->Listen();  // what those gave is not looked at; the next sound starts a new recording
    // Too short to be an image at all: nothing with SND_NODEFAULT, our beep without it.
    const Block shortBlock(seven);
    EXPECT_EQ(winmm::sndPlaySoundA(shortBlock.address(), SND_SYNC | SND_NODEFAULT | SND_MEMORY), FALSE);
    EXPECT_TRUE(audio_->Listen().Silent());
    EXPECT_EQ(winmm::sndPlaySoundA(shortBlock.address(), SND_SYNC | SND_MEMORY), TRUE);
    EXPECT_FALSE(audio_->Listen().Silent());

    // A buffer whose length cannot be known is not read: it counts as unplayable.
    const Bytes good = DeviceFormatWav(DistinctFrames(500));
    EXPECT_EQ(winmm::sndPlaySoundA(reinterpret_cast<LPCSTR>(good.data()), SND_SYNC | SND_NODEFAULT | SND_MEMORY),
              FALSE);
    EXPECT_TRUE(audio_->Listen().Silent());
}

TEST_F(MemoryBounds, ABufferFreedWhileItsSoundPlaysIsNeverReadAgain) {
    const auto first = DistinctFrames(testsupport::kDeviceRate / 2, 1);
    const auto second = DistinctFrames(testsupport::kDeviceRate / 10, 2);
    auto block = std::make_unique<Block>(DeviceFormatWav(first));
    ASSERT_EQ(winmm::sndPlaySoundA(block->address(), SND_ASYNC | SND_MEMORY), TRUE);
    block = std::make_unique<Block>(DeviceFormatWav(second));  // the first block goes while it plays
    ASSERT_EQ(winmm::sndPlaySoundA(block->address(), SND_ASYNC | SND_MEMORY), TRUE);
    block.reset();
    ASSERT_TRUE(winmm::WaitForSoundIdleForTesting(3s));
    const auto heard = audio_->Listen();
    ASSERT_GE(heard.Length(), second.size());
    EXPECT_TRUE(std::equal(second.begin(), second.end(),
                           heard.frames.begin() + static_cast<std::ptrdiff_t>(heard.last - second.size())));
}

// Called on the test's own thread (SDL keeps per-thread state that a thread of the test's would
// leave behind); a watchdog ends the process if a call hangs.
TEST_F(MemoryBounds, APathToSomethingThatIsNoFileIsSilentAtOnce) {
    for (const char* kind : testsupport::kNoFileKinds) {
        SCOPED_TRACE(kind);
        const int socket = testsupport::MakeNoFile(kind, audio_->DriveC() / "nofile.wav");
        {
            testsupport::Watchdog watchdog(std::string("sndPlaySoundA on a ") + kind);
            EXPECT_EQ(winmm::sndPlaySoundA("C:\\nofile.wav", SND_ASYNC | SND_NODEFAULT), FALSE);
        }
        if (socket >= 0) ::close(socket);
    }
    EXPECT_TRUE(audio_->Listen().Silent());
}

}  // namespace
