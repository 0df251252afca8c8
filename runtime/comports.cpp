// SPDX-License-Identifier: GPL-3.0-or-later
// Which device each serial port opens, the devices present on the machine,
// and how a port is described to the user.
#include <QCoreApplication>
#include <QSerialPortInfo>
#include <QSettings>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "com_internal.h"

namespace rt {

namespace {

constexpr int kPorts = 4;
std::function<std::vector<ComDeviceInfo>()> gLister;

bool Valid(int port)
{
    return port >= 1 && port <= kPorts;
}

std::string FromEnvironment(int port)
{
    const std::string var = "VELORAN_COM" + std::to_string(port);
    const char *dev = std::getenv(var.c_str());
    return dev && *dev ? dev : std::string();
}

QString ChoiceKey(int port)
{
    return QStringLiteral("serial/port%1").arg(port);
}

// Choices are kept per user under the program's own name.
QSettings Settings()
{
    const QString app = QCoreApplication::applicationName();
    return QSettings(QStringLiteral("Veloran"), app.isEmpty() ? QStringLiteral("veloran") : app);
}

std::vector<ComDeviceInfo> ScanDevices()
{
    std::vector<ComDeviceInfo> list;
    for (const QSerialPortInfo &p : QSerialPortInfo::availablePorts()) {
        ComDeviceInfo d;
        d.device = p.systemLocation().toStdString();
        d.description = p.description().toStdString();
        d.manufacturer = p.manufacturer().toStdString();
        d.serialNumber = p.serialNumber().toStdString();
        d.usb = p.hasVendorIdentifier() || p.portName().startsWith(QLatin1String("ttyUSB"))
                || p.portName().startsWith(QLatin1String("ttyACM"));
        list.push_back(std::move(d));
    }
    return list;
}

// USB adapters first, those with a serial number by it (so an adapter keeps
// its place whatever order they were plugged in), then by device name; the
// other devices after them by name.
void SortDevices(std::vector<ComDeviceInfo> &list)
{
    std::stable_sort(list.begin(), list.end(), [](const ComDeviceInfo &a, const ComDeviceInfo &b) {
        if (a.usb != b.usb)
            return a.usb;
        const bool as = !a.serialNumber.empty(), bs = !b.serialNumber.empty();
        if (as != bs)
            return as;
        if (a.serialNumber != b.serialNumber)
            return a.serialNumber < b.serialNumber;
        return a.device < b.device;
    });
}

// The device a port would take by choice (environment or saved), or "".
std::string Chosen(int port)
{
    std::string dev = FromEnvironment(port);
    return dev.empty() ? ComDeviceChoice(port) : dev;
}

std::string AutomaticDevice(int port, const std::vector<ComDeviceInfo> &devices)
{
    // Devices that a port has been given by choice are not handed out again.
    std::vector<std::string> taken;
    for (int n = 1; n <= kPorts; ++n)
        if (std::string c = Chosen(n); !c.empty())
            taken.push_back(c);
    auto isTaken = [&](const std::string &d) {
        return std::find(taken.begin(), taken.end(), d) != taken.end();
    };
    // Only the ports left to the automatic rule count, in their order.
    int rank = 0;
    for (int n = 1; n <= port; ++n)
        if (Chosen(n).empty())
            ++rank;
    for (const ComDeviceInfo &d : devices)
        if (d.usb && !isTaken(d.device) && --rank == 0)
            return d.device;
    for (int k = 0;; ++k) {
        const std::string d = "/dev/ttyS" + std::to_string(k);
        if (!isTaken(d) && --rank == 0)
            return d;
    }
}

bool Listed(const std::string &device, const std::vector<ComDeviceInfo> &devices,
            const ComDeviceInfo **found)
{
    for (const ComDeviceInfo &d : devices)
        if (d.device == device) {
            *found = &d;
            return true;
        }
    return false;
}

std::string Join(const std::vector<std::string> &parts)
{
    std::string s;
    for (const std::string &p : parts) {
        if (p.empty())
            continue;
        if (!s.empty())
            s += ", ";
        s += p;
    }
    return s;
}

std::string Kind(const ComDeviceInfo &d)
{
    std::string maker = d.manufacturer;
    if (!d.description.empty() && d.description != d.manufacturer)
        maker += (maker.empty() ? "" : " ") + d.description;
    return Join({d.usb ? "USB serial" : "serial port", maker});
}

}  // namespace

namespace detail {

void SetComDeviceLister(std::function<std::vector<ComDeviceInfo>()> lister)
{
    gLister = std::move(lister);
}

}  // namespace detail

std::vector<ComDeviceInfo> ListComDevices(void)
{
    std::vector<ComDeviceInfo> list = gLister ? gLister() : ScanDevices();
    SortDevices(list);
    return list;
}

std::string ComDeviceText(const ComDeviceInfo &d)
{
    std::string s = d.device + "  (" + Kind(d);
    if (!d.serialNumber.empty())
        s += ", serial number " + d.serialNumber;
    return s + ")";
}

int ComDeviceSource(int port)
{
    if (!FromEnvironment(port).empty())
        return RT_COM_FROM_ENVIRONMENT;
    return ComDeviceChoice(port).empty() ? RT_COM_AUTOMATIC : RT_COM_FROM_CHOICE;
}

std::string ComDeviceChoice(int port)
{
    if (!Valid(port))
        return {};
    return Settings().value(ChoiceKey(port)).toString().toStdString();
}

int SetComDeviceChoice(int port, const std::string &device)
{
    if (!Valid(port))
        return -1;
    QSettings s = Settings();
    if (device.empty())
        s.remove(ChoiceKey(port));
    else
        s.setValue(ChoiceKey(port), QString::fromStdString(device));
    s.sync();
    return s.status() == QSettings::NoError ? 0 : -1;
}

std::string ComDeviceName(int port)
{
    if (std::string dev = Chosen(port); !dev.empty())
        return dev;
    return AutomaticDevice(port, ListComDevices());
}

std::string ComFailureText(int reason)
{
    switch (reason) {
    case RT_COM_OK:
        return {};
    case RT_COM_MISSING:
        return "not present";
    case RT_COM_PERMISSION:
        return "permission denied \u2014 add your user to the group dialout and log in again";
    case RT_COM_BUSY:
        return "busy \u2014 in use or locked by another program";
    case RT_COM_NOT_SERIAL:
        return "not a serial device";
    default:
        return "cannot be opened";
    }
}

std::string ComDeviceSummary(int port)
{
    if (!Valid(port))
        return {};
    const std::vector<ComDeviceInfo> devices = ListComDevices();
    std::string dev = Chosen(port);
    if (dev.empty())
        dev = AutomaticDevice(port, devices);
    const ComDeviceInfo *info = nullptr;
    const bool listed = Listed(dev, devices, &info);
    // The reason the last open failed, unless the device missing then is here now.
    const ComOpenFailure &f = detail::LastOpenFailure(port);
    if (f.reason != RT_COM_OK && f.device == dev && !(f.reason == RT_COM_MISSING && listed)) {
        std::string words = ComFailureText(f.reason);
        if (f.reason == RT_COM_OTHER && !f.detail.empty())
            words += ": " + f.detail;
        return dev + " (" + words + ")";
    }
    struct stat st {};
    const bool exists = stat(dev.c_str(), &st) == 0;
    if (exists && S_ISCHR(st.st_mode) && access(dev.c_str(), R_OK | W_OK) != 0 && errno == EACCES)
        return dev + " (" + ComFailureText(RT_COM_PERMISSION) + ")";
    if (listed)
        return dev + " (" + Kind(*info) + ")";
    // Built-in ports have device nodes whether or not the hardware is there;
    // the scan lists those that are.
    if (dev.rfind("/dev/ttyS", 0) == 0 || !exists)
        return dev + " (not present)";
    if (!S_ISCHR(st.st_mode))
        return dev + " (" + ComFailureText(RT_COM_NOT_SERIAL) + ")";
    return dev + " (present)";
}

}  // namespace rt
