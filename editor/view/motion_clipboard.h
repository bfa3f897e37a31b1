// The system clipboard as Copy and Paste Special use it: opened for
// the command, emptied, handed a block in the private format, asked for the
// block, closed. One interface, so that tests can make each step fail; the
// real one is QClipboard with the block under a private MIME type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rova {

// The MIME type under which the block lies on the clipboard.
inline constexpr const char* kMotionMimeType = "application/x-rova-editor-motion";

class MotionClipboard {
public:
    virtual ~MotionClipboard() = default;
    virtual bool open() = 0;
    virtual void close() = 0;
    // Drops what the clipboard holds (copy).
    virtual bool empty() = 0;
    // A zeroed block of size bytes; false when it cannot be had.
    virtual bool allocate(std::size_t size, std::vector<std::uint8_t>& block) = 0;
    // Hands the block over in the private format; false when it is refused.
    virtual bool setData(std::vector<std::uint8_t> block) = 0;
    // The bytes held in the private format; false when there are none.
    virtual bool getData(std::vector<std::uint8_t>& block) = 0;
    // Whether data in the private format is there (for the enabling rule).
    virtual bool hasData() = 0;
};

// The application's clipboard.
class QtMotionClipboard : public MotionClipboard {
public:
    bool open() override;
    void close() override {}
    bool empty() override;
    bool allocate(std::size_t size, std::vector<std::uint8_t>& block) override;
    bool setData(std::vector<std::uint8_t> block) override;
    bool getData(std::vector<std::uint8_t>& block) override;
    bool hasData() override;
};

// The clipboard the views use; the real one unless replaced.
MotionClipboard& motionClipboard();
void setMotionClipboard(MotionClipboard* clipboard);

}  // namespace rova
