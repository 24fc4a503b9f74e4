#pragma once
// The serial port through which the program talks to the radio's programming cable. It holds
// at most one open device, configured once at opening: raw 8N1 at the requested rate, receiver
// on, modem control lines ignored, no flow control, no hang-up on close, non-blocking reads,
// DTR and RTS raised. The device is opened exclusively (TIOCEXCL and an flock lock), so two
// programs never share a cable. Waits are poll(2) waits against a monotonic deadline; nothing
// spins. On a closed port writes return 0 and reads return 0 or -1 once their time-out passed.
// A hang-up or a read or write error (cable pulled) marks the line lost: from then on reads
// return at once instead of waiting out their time-out, until the port is opened again.

#include "core/link/ByteLink.h"

#include <cstdint>
#include <string>

namespace orvik {

class CSerialPort final : public SerialLink {
public:
    using OpenError = orvik::OpenError;

    CSerialPort() = default;
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // The settings file whose [ports] section maps port numbers (see PortNames.h); without
    // one the default rule applies.
    void SetSettingsFilePath(std::string path);
    const std::string& SettingsFilePath() const { return settingsFilePath; }

    // Opens the device of port number `port`. Called on a closed port only; returns false
    // (and stays closed) when the port has no device or the device cannot be opened.
    bool Open(int port, int baud) override;
    // Opens the device at `path` the same way. Fails (and closes the device) when the line
    // settings cannot be read or applied.
    bool OpenDevice(const std::string& path, int baud) override;
    // Changes the line rate of an open port; nothing on a closed one.
    void SetBaudRate(int baud) override;

    int Write(const std::uint8_t* bytes, int count, int pause, bool byteByByte) override;
    int WriteByte(std::uint8_t byte, int pause) override;
    int Read(std::uint8_t* buf, int count, int timeout) override;
    int ReadByte(int timeout) override;

    // Releases the device; nothing when closed.
    void Close() override;
    bool IsOpen() const override { return fd >= 0; }
    const LinkError& lastError() const override { return error; }

    // The reason of the last failed open (None after a successful one), the operating
    // system's text for it, and the device path that was tried (empty when the port number
    // has no device).
    OpenError LastOpenError() const { return error.open; }
    std::string LastOpenErrorText() const { return error.openText; }
    std::string LastDevicePath() const { return lastDevicePath; }

private:
    bool fail(OpenError error, std::string text);
    bool waitWritable(int timeoutMs);
    int writeAll(const std::uint8_t* bytes, int count);
    void markLost() { error.lost = true; }

    int fd = -1;
    std::string settingsFilePath;
    LinkError error;
    std::string lastDevicePath;
};

} // namespace orvik
