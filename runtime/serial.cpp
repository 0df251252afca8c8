// Serial ports over QSerialPort, or over a backend bound by a test or the
// demo (a simulated rig). An exchange blocks in the port's own wait, never in
// an event loop, so no callback can run in the middle of it.
#include <QElapsedTimer>
#include <QSerialPort>

#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "internal.h"
#include "test_hooks.h"

namespace rt {

namespace {

constexpr int kPorts = 4;
// Long enough for a turntable step and its reply, short enough that a lab
// user with a dead cable learns about it at once.
constexpr int kDefaultTimeoutMs = 2000;

class DeviceBackend : public ComBackend {
public:
    explicit DeviceBackend(QString device) : device_(std::move(device)) {}

    int open(const ComSettings &s) override
    {
        port_.setPortName(device_);
        if (!port_.open(QIODevice::ReadWrite))
            return port_.error() == QSerialPort::DeviceNotFoundError ? kComCannotOpenPort
                                                                    : kComCannotOpenPort;
        port_.setBaudRate(qint32(s.baud));
        port_.setDataBits(QSerialPort::DataBits(s.dataBits));
        port_.setParity(s.parity == 1 ? QSerialPort::OddParity
                                      : s.parity == 2 ? QSerialPort::EvenParity : QSerialPort::NoParity);
        port_.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
        port_.setFlowControl(QSerialPort::NoFlowControl);
        port_.clearError();
        return 0;
    }

    void close() override { port_.close(); }

    int write(const unsigned char *data, int count) override
    {
        const qint64 n = port_.write(reinterpret_cast<const char *>(data), count);
        if (n < 0)
            return kComWriteFailed;
        port_.waitForBytesWritten(1000);
        port_.clearError();
        return int(n);
    }

    int read(unsigned char *buffer, int count, int timeoutMs) override
    {
        QElapsedTimer clock;
        clock.start();
        int got = 0;
        while (got < count) {
            const qint64 n = port_.read(reinterpret_cast<char *>(buffer) + got, count - got);
            if (n < 0)
                break;
            got += int(n);
            if (got >= count)
                break;
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || !port_.waitForReadyRead(int(left))) {
                port_.clearError();
                if (port_.bytesAvailable() == 0)
                    break;
            }
        }
        return got;
    }

    void flushInput() override
    {
        port_.clear(QSerialPort::Input);
        port_.readAll();
        port_.clearError();
    }

private:
    QString device_;
    QSerialPort port_;
};

struct Port {
    std::unique_ptr<ComBackend> backend;
    int timeoutMs = kDefaultTimeoutMs;
};

std::array<Port, kPorts + 1> gPorts;
std::array<ComBackendFactory, kPorts + 1> gBound;
int gLastError = 0;

bool Valid(int port) { return port >= 1 && port <= kPorts; }

// 0 for a valid, open port; otherwise its error code, kept as the last error.
int CheckOpen(int port)
{
    if (!Valid(port))
        return gLastError = kComInvalidPort;
    if (!gPorts[port].backend)
        return gLastError = kComPortNotOpen;
    return 0;
}

void Log(int port, bool written, const char *data, int n)
{
    if (auto *t = detail::Hooks(); t && n > 0)
        t->comTraffic(port, written, data, n);
}

} // namespace

void BindComPort(int port, ComBackendFactory factory)
{
    if (Valid(port))
        gBound[port] = std::move(factory);
}

std::string ComDeviceName(int port)
{
    const std::string var = "VELORAN_COM" + std::to_string(port);
    if (const char *dev = std::getenv(var.c_str()); dev && *dev)
        return dev;
    return "/dev/ttyS" + std::to_string(port - 1);
}

int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize)
{
    if (!Valid(port))
        return gLastError = kComInvalidPort;
    if (gPorts[port].backend)
        gPorts[port].backend->close();
    gPorts[port].backend.reset();
    std::unique_ptr<ComBackend> b;
    if (gBound[port])
        b = gBound[port](port);
    else {
        const std::string dev = deviceName && *deviceName ? deviceName : ComDeviceName(port);
        b = std::make_unique<DeviceBackend>(QString::fromStdString(dev));
    }
    if (!b)
        return gLastError = kComCannotOpenPort;
    ComSettings s{port, baudRate, parity, dataBits, stopBits, inputQueueSize, outputQueueSize};
    const int r = b->open(s);
    if (r != 0)
        return gLastError = r;
    gPorts[port].backend = std::move(b);
    return gLastError = 0;
}

int CloseCom(int port)
{
    if (int err = CheckOpen(port))
        return err;
    gPorts[port].backend->close();
    gPorts[port].backend.reset();
    return gLastError = 0;
}

int ComWrt(int port, const char *buffer, int count)
{
    if (int err = CheckOpen(port))
        return err;
    if (!buffer || count < 0)
        return gLastError = kComUnknownSystemError;
    const int n = gPorts[port].backend->write(reinterpret_cast<const unsigned char *>(buffer), count);
    Log(port, true, buffer, n);
    gLastError = n < 0 ? n : 0;
    return n;
}

int ComRd(int port, char *buffer, int count)
{
    if (int err = CheckOpen(port))
        return err;
    if (!buffer || count < 0)
        return gLastError = kComUnknownSystemError;
    const int n = gPorts[port].backend->read(reinterpret_cast<unsigned char *>(buffer), count,
                                             gPorts[port].timeoutMs);
    Log(port, false, buffer, n);
    gLastError = n < 0 ? n : (n < count ? kComTimeout : 0);
    return n;
}

int FlushInQ(int port)
{
    if (int err = CheckOpen(port))
        return err;
    gPorts[port].backend->flushInput();
    return 0;
}

int SetComTime(int port, double seconds)
{
    if (!Valid(port))
        return gLastError = kComInvalidPort;
    gPorts[port].timeoutMs = int(std::lround(std::max(0.0, seconds) * 1000));
    return 0;
}

int ReturnRS232Err(void) { return gLastError; }
int DisableBreakOnLibraryErrors(void) { return 0; }
int EnableBreakOnLibraryErrors(void) { return 0; }

} // namespace rt
