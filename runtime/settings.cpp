// SPDX-License-Identifier: GPL-3.0-or-later
// Settings kept between runs, and the clock that measures durations.
#include <QElapsedTimer>
#include <QSettings>
#include <QString>

#include <memory>

#include "rt.h"
#include "test_hooks.h"

namespace rt {

using detail::Hooks;

namespace {

// Outside test mode the user's own store; in test mode the INI file a test
// named. Null: the test keeps settings in memory.
std::unique_ptr<QSettings> Store(const char *program)
{
    if (!Hooks())
        return std::make_unique<QSettings>(QStringLiteral("Veloran"), QString::fromUtf8(program));
    const std::string file = Hooks()->settingsFile();
    if (file.empty())
        return nullptr;
    return std::make_unique<QSettings>(QString::fromStdString(file), QSettings::IniFormat);
}

std::string MemoryKey(const char *program, const char *key)
{
    return std::string(program) + "/" + key;
}

}  // namespace

std::string GetUserSettingText(const char *program, const char *key, const char *defaultValue)
{
    auto store = Store(program);
    if (!store) {
        std::string v;
        return Hooks()->readSetting(MemoryKey(program, key), &v) ? v : std::string(defaultValue);
    }
    const QVariant v = store->value(QString::fromUtf8(key));
    return v.isValid() ? v.toString().toStdString() : std::string(defaultValue);
}

int GetUserSetting(const char *program, const char *key, int defaultValue)
{
    const std::string text = GetUserSettingText(program, key, "");
    bool ok = false;
    const int v = QString::fromStdString(text).toInt(&ok);
    return ok ? v : defaultValue;
}

int SetUserSettingText(const char *program, const char *key, const char *value)
{
    auto store = Store(program);
    if (!store) {
        Hooks()->writeSetting(MemoryKey(program, key), value);
        return 0;
    }
    store->setValue(QString::fromUtf8(key), QString::fromUtf8(value));
    store->sync();
    return store->status() == QSettings::NoError ? 0 : -1;
}

int SetUserSetting(const char *program, const char *key, int value)
{
    return SetUserSettingText(program, key, std::to_string(value).c_str());
}

double Timer(void)
{
    double t = 0;
    if (Hooks() && Hooks()->clock(&t))
        return t;
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.nsecsElapsed() / 1e9;
}

}  // namespace rt
