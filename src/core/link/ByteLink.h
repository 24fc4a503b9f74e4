#pragma once
// The operations of a serial line that the programming protocol and the transfer worker use.
// CSerialPort is the real implementation; tests put a scripted radio behind it.

#include <cstdint>
#include <string>

namespace orvik {

// Why a device could not be opened.
enum class OpenError { None, NoDevice, PermissionDenied, Busy, Other };

// What went wrong last on a link.
struct LinkError {
    OpenError open = OpenError::None; // the last open's failure; None after a successful one
    std::string openText;             // the operating system's words for it
    bool lost = false; // a read or write found the line gone (hang-up, device removed)
};

class ByteLink {
public:
    virtual ~ByteLink() = default;

    // Writes `count` bytes. Whole-buffer mode: one pause of `pause` ms, then all bytes at once.
    // Byte-by-byte mode: a pause before every byte, stopping at the first byte not written.
    // Returns the number of bytes written; 0 on a closed link or for count <= 0.
    virtual int Write(const std::uint8_t* bytes, int count, int pause, bool byteByByte) = 0;
    // Write of one byte in whole-buffer mode: 0 or 1.
    virtual int WriteByte(std::uint8_t byte, int pause) = 0;
    // Waits up to `timeout` ms for `count` bytes; returns how many arrived (0..count). On a
    // lost line it returns at once with what was left.
    virtual int Read(std::uint8_t* buf, int count, int timeout) = 0;
    // One byte 0..255, or -1 when none came within `timeout` ms (0: a single poll).
    virtual int ReadByte(int timeout) = 0;
    virtual bool IsOpen() const = 0;
    // The last open failure and whether the open line has been lost since it was opened.
    virtual const LinkError& lastError() const = 0;
};

// A byte link that can be opened by port number or device path, as the worker and the port
// search need.
class SerialLink : public ByteLink {
public:
    virtual bool Open(int port, int baud) = 0;
    virtual bool OpenDevice(const std::string& path, int baud) = 0;
    virtual void SetBaudRate(int baud) = 0;
    virtual void Close() = 0;
};

} // namespace orvik
