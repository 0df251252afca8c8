// SPDX-License-Identifier: GPL-3.0-or-later
// Serial ports over QSerialPort, or over a backend bound by a test or the
// demo (a simulated rig). An exchange blocks in the port's own wait, never in
// an event loop, so no callback can run in the middle of it.
//
// Traffic trace: QT_LOGGING_RULES="veloran.serial.debug=true" logs every byte
// written and read, time-outs, opens and reopens, with millisecond times.
#include <QDateTime>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSerialPort>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "com_internal.h"
#include "internal.h"
#include "test_hooks.h"

Q_LOGGING_CATEGORY(lcSerial, "veloran.serial", QtWarningMsg)

namespace rt {

namespace {

constexpr int kPorts = 4;
// Long enough for a turntable step and its reply, short enough that a lab
// user with a dead cable learns about it at once.
constexpr int kDefaultTimeoutMs = 2000;

// Why `device` could not be opened, from the port's error and the device
// node itself (the port reports a permission error for a device that another
// program holds or has locked as well as for one the user may not open).
int Classify(const QString &device, QSerialPort::SerialPortError error)
{
    const QByteArray path = device.toLocal8Bit();
    struct stat st {};
    if (error == QSerialPort::DeviceNotFoundError || stat(path.constData(), &st) != 0)
        return RT_COM_MISSING;
    if (!S_ISCHR(st.st_mode))
        return RT_COM_NOT_SERIAL;
    if (access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return RT_COM_PERMISSION;
    if (error == QSerialPort::PermissionError)
        return RT_COM_BUSY;
    if (error == QSerialPort::UnsupportedOperationError)
        return RT_COM_NOT_SERIAL;
    return RT_COM_OTHER;
}

// Each reason has its own code, so that a permission error and a missing
// device are told apart by the code as well.
int CodeOf(int reason)
{
    switch (reason) {
    case RT_COM_PERMISSION:
        return kComAccessDenied;
    case RT_COM_BUSY:
        return kComPortBusy;
    case RT_COM_NOT_SERIAL:
        return kComNotSerial;
    default:
        return kComCannotOpenPort;
    }
}

class DeviceBackend : public ComBackend {
public:
    explicit DeviceBackend(QString device) : device_(std::move(device)) {}

    int open(const ComSettings &s) override
    {
        port_.setPortName(device_);
        if (!port_.open(QIODevice::ReadWrite)) {
            failure_.reason = Classify(device_, port_.error());
            failure_.detail = port_.errorString().toStdString();
            return CodeOf(failure_.reason);
        }
        port_.setBaudRate(qint32(s.baud));
        port_.setDataBits(QSerialPort::DataBits(s.dataBits));
        port_.setParity(s.parity == 1   ? QSerialPort::OddParity
                        : s.parity == 2 ? QSerialPort::EvenParity
                                        : QSerialPort::NoParity);
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

    const ComOpenFailure &failure() const { return failure_; }

private:
    QString device_;
    QSerialPort port_;
    ComOpenFailure failure_;
};

struct Port {
    std::unique_ptr<ComBackend> backend;
    int timeoutMs = kDefaultTimeoutMs;
    // What the last open asked for, so that a reopen gets the same again.
    bool opened = false;
    std::string device;
    ComSettings settings;
    ComOpenFailure failure;
};

std::array<Port, kPorts + 1> gPorts;
std::array<ComBackendFactory, kPorts + 1> gBound;
int gLastError = 0;

bool Valid(int port)
{
    return port >= 1 && port <= kPorts;
}

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

QString Stamp()
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}

// "48 'H'": the bytes in hex, then as text where printable.
QString Bytes(const char *data, int n)
{
    QString hex, text;
    for (int i = 0; i < n; ++i) {
        const unsigned char c = (unsigned char)data[i];
        hex += QStringLiteral("%1 ").arg(c, 2, 16, QLatin1Char('0')).toUpper();
        text += c >= 0x20 && c < 0x7F ? QChar(c) : QChar('.');
    }
    return hex + QLatin1Char('\'') + text + QLatin1Char('\'');
}

int OpenBackend(int port)
{
    Port &p = gPorts[port];
    std::unique_ptr<ComBackend> b;
    if (gBound[port])
        b = gBound[port](port);
    else
        b = std::make_unique<DeviceBackend>(QString::fromStdString(p.device));
    p.failure = {};
    p.failure.device = p.device;
    if (!b) {
        p.failure.reason = RT_COM_OTHER;
        return gLastError = kComCannotOpenPort;
    }
    const int r = b->open(p.settings);
    if (r != 0) {
        if (auto *d = dynamic_cast<DeviceBackend *>(b.get())) {
            p.failure.reason = d->failure().reason;
            p.failure.detail = d->failure().detail;
        } else {
            p.failure.reason = RT_COM_OTHER;
        }
        qCDebug(lcSerial).noquote()
            << Stamp() << "port" << port << "open" << p.device.c_str() << "failed:" << r
            << ComFailureText(p.failure.reason).c_str() << p.failure.detail.c_str();
        return gLastError = r;
    }
    p.backend = std::move(b);
    qCDebug(lcSerial).noquote() << Stamp() << "port" << port << "open" << p.device.c_str();
    return gLastError = 0;
}

}  // namespace

namespace detail {

ComOpenFailure &LastOpenFailure(int port)
{
    return gPorts[Valid(port) ? port : 0].failure;
}

}  // namespace detail

ComOpenFailure ComLastOpenFailure(int port)
{
    return Valid(port) ? gPorts[port].failure : ComOpenFailure{};
}

void BindComPort(int port, ComBackendFactory factory)
{
    if (Valid(port))
        gBound[port] = std::move(factory);
}

int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize)
{
    if (!Valid(port))
        return gLastError = kComInvalidPort;
    Port &p = gPorts[port];
    if (p.backend)
        p.backend->close();
    p.backend.reset();
    p.opened = true;
    // A port bound to a simulated rig has no device to look for.
    p.device = deviceName && *deviceName ? deviceName
               : gBound[port]            ? std::string()
                                         : ComDeviceName(port);
    p.settings = {port, baudRate, parity, dataBits, stopBits, inputQueueSize, outputQueueSize};
    return OpenBackend(port);
}

int ReopenCom(int port)
{
    if (!Valid(port))
        return gLastError = kComInvalidPort;
    Port &p = gPorts[port];
    if (!p.opened)
        return gLastError = kComPortNotOpen;
    if (p.backend)
        p.backend->close();
    p.backend.reset();
    qCDebug(lcSerial).noquote() << Stamp() << "port" << port << "reopen" << p.device.c_str();
    return OpenBackend(port);
}

int CloseCom(int port)
{
    if (int err = CheckOpen(port))
        return err;
    gPorts[port].backend->close();
    gPorts[port].backend.reset();
    gPorts[port].opened = false;
    qCDebug(lcSerial).noquote() << Stamp() << "port" << port << "closed";
    return gLastError = 0;
}

int ComWrt(int port, const char *buffer, int count)
{
    if (int err = CheckOpen(port))
        return err;
    if (!buffer || count < 0)
        return gLastError = kComUnknownSystemError;
    const int n =
        gPorts[port].backend->write(reinterpret_cast<const unsigned char *>(buffer), count);
    Log(port, true, buffer, n);
    if (n >= 0)
        qCDebug(lcSerial).noquote() << Stamp() << "port" << port << "write" << Bytes(buffer, n);
    else
        qCDebug(lcSerial).noquote() << Stamp() << "port" << port << "write failed:" << n;
    gLastError = n < 0 ? n : 0;
    return n;
}

int ComRd(int port, char *buffer, int count)
{
    if (int err = CheckOpen(port))
        return err;
    if (!buffer || count < 0)
        return gLastError = kComUnknownSystemError;
    // The reply is on its way: windows that are due are painted meanwhile.
    detail::PaintDueWindows();
    const int n = gPorts[port].backend->read(reinterpret_cast<unsigned char *>(buffer), count,
                                             gPorts[port].timeoutMs);
    Log(port, false, buffer, n);
    if (lcSerial().isDebugEnabled()) {
        if (n > 0)
            qCDebug(lcSerial).noquote() << Stamp() << "port" << port << "read" << Bytes(buffer, n);
        if (n < count)
            qCDebug(lcSerial).noquote()
                << Stamp() << "port" << port << "read time-out after" << gPorts[port].timeoutMs
                << "ms:" << (n < 0 ? 0 : n) << "of" << count << "bytes";
    }
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

int ReturnRS232Err(void)
{
    return gLastError;
}
int DisableBreakOnLibraryErrors(void)
{
    return 0;
}
int EnableBreakOnLibraryErrors(void)
{
    return 0;
}

}  // namespace rt
