// SPDX-License-Identifier: GPL-3.0-or-later
// Transport under the serial services: the real port is one backend, a
// simulated rig is another. Qt-free so that tools and tests can implement it.
#pragma once

#include <functional>
#include <memory>

namespace rt {

struct ComSettings {
    int port = 1;  // 1..4
    long baud = 9600;
    int parity = 0;  // 0 none, 1 odd, 2 even
    int dataBits = 8;
    int stopBits = 1;
    int inQueue = 512;
    int outQueue = 512;
};

class ComBackend {
public:
    virtual ~ComBackend() = default;
    // 0 on success, a negative serial error code otherwise.
    virtual int open(const ComSettings &settings) = 0;
    virtual void close() = 0;
    // Bytes written, or a negative error code.
    virtual int write(const unsigned char *data, int count) = 0;
    // Blocks until `count` bytes arrived or `timeoutMs` passed. Returns the
    // number of bytes read (less than count on a time-out) or a negative code.
    virtual int read(unsigned char *buffer, int count, int timeoutMs) = 0;
    // Drops every byte received but not yet read.
    virtual void flushInput() = 0;
};

using ComBackendFactory = std::function<std::unique_ptr<ComBackend>(int port)>;

// Serial error codes of the library, kept as callers and messages expect them.
enum ComError {
    kComUnknownSystemError = -1,
    kComInvalidPort = -2,
    kComPortNotOpen = -3,
    kComCannotOpenPort = -6,  // also: no such device
    kComWriteFailed = -7,
    kComAccessDenied = -10,  // the user may not open the device
    kComPortBusy = -11,      // held or locked by another program
    kComNotSerial = -12,     // not a serial device
    kComTimeout = -99,
};

// Binds port n to a backend made by `factory` instead of the real device, for
// tests and the demo. An empty factory restores the real device.
void BindComPort(int port, ComBackendFactory factory);

}  // namespace rt
