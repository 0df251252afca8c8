// SPDX-License-Identifier: GPL-3.0-or-later
// nlohmann::json to QJsonValue.
#include "json.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <limits>
#include <string>

#include "atn.h"

QJsonValue ToQJson(const nlohmann::json &j)
{
    using T = nlohmann::json::value_t;
    switch (j.type()) {
    case T::null:
    case T::discarded:
        return QJsonValue(QJsonValue::Null);
    case T::boolean:
        return QJsonValue(j.get<bool>());
    case T::number_integer:
        return QJsonValue(qint64(j.get<std::int64_t>()));
    case T::number_unsigned: {
        const std::uint64_t u = j.get<std::uint64_t>();
        if (u <= std::uint64_t(std::numeric_limits<qint64>::max()))
            return QJsonValue(qint64(u));
        return QJsonValue(double(u));
    }
    case T::number_float:
        return QJsonValue(j.get<double>());
    case T::string:
        return QJsonValue(QString::fromStdString(j.get_ref<const std::string &>()));
    case T::array: {
        QJsonArray a;
        for (const nlohmann::json &v : j)
            a.append(ToQJson(v));
        return a;
    }
    case T::object: {
        QJsonObject o;
        for (auto it = j.begin(); it != j.end(); ++it)
            o.insert(QString::fromStdString(it.key()), ToQJson(it.value()));
        return o;
    }
    case T::binary:
        break;
    }
    return QJsonValue(QJsonValue::Null);
}

QJsonObject ToQJsonObject(const nlohmann::json &j)
{
    return j.is_object() ? ToQJson(j).toObject() : QJsonObject();
}

bool PrintJson(const QJsonObject &o)
{
    // Written and flushed at once, so that a failure is seen with its reason
    // (a document larger than the buffer fails while it is written).
    std::string error;
    if (!SaveBytes(QStringLiteral("-"), QJsonDocument(o).toJson(), error)) {
        Complain(NotWritten(QStringLiteral("-"), error));
        return false;
    }
    return true;
}
