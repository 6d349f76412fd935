// Scanner input through SANE: the devices the scanner libraries find, and one picture
// read from a device as a 24-bit top-down bitmap. No Qt here; the frame assembly is a
// class of its own so that it can be tried on made-up frames without a scanner.
//
// SANE is started and stopped around each call (sane_init ... sane_exit), so a scanner
// plugged in while the editor runs is found by the next call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ImageBuffer.h"
#include "Status.h"

struct ScanDevice {
    std::string name;   // what sane_open takes: "test:0", "epson2:libusb:001:004"
    std::string label;  // what the user reads: vendor, model and kind
};

// The devices found; an empty list is not an error. A library that cannot start gives
// the scanner message with SANE's reason under it.
Status ListScanDevices(std::vector<ScanDevice>& out);

// Reads one picture from `device` (colour where the device offers it). `goOn` is called
// with the percentage read so far and stops the scan when it returns false (the
// result is then a failed Status with an empty message).
Status ScanPicture(const std::string& device, PlainBitmap& out, const std::function<bool(int)>& goOn);

// The frames of one scanned picture (one frame, or a red, a green and a blue frame)
// turned into a 24-bit blue-green-red bitmap, top-down, rows padded to 4 bytes.
class ScanAssembler {
public:
    enum Kind { kGrey, kRgb, kRed, kGreen, kBlue };
    struct Frame {
        Kind kind = kGrey;
        int depth = 8;          // bits per sample: 1, 8 or 16 (16-bit samples in host order)
        int pixelsPerLine = 0;
        int bytesPerLine = 0;
        int lines = -1;         // -1: not known until the frame ends
    };
    // The largest picture taken, in bytes of its frames.
    static constexpr int64_t kMaxBytes = int64_t(1) << 30;

    // A frame begins: a kind or depth not handled, a line shorter than its pixels, a size
    // that differs from the picture's first frame, or a picture past kMaxBytes fails.
    Status Begin(const Frame& frame);
    // Bytes of the current frame as they arrive; false past kMaxBytes.
    bool Add(const uint8_t* data, size_t size);
    // The picture from the complete lines read; fails when none was.
    Status Finish(PlainBitmap& out) const;

private:
    std::vector<Frame> m_frames;
    std::vector<std::vector<uint8_t>> m_bytes;
};
