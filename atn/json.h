// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis' JSON trees as Qt's JSON values, so that atn prints every
// document the one way it always has (keys in order, numbers as Qt writes
// them).
#pragma once

#include <QJsonObject>
#include <QJsonValue>

#include <nlohmann/json.hpp>

QJsonValue ToQJson(const nlohmann::json &j);
// An object tree as a Qt object (an empty object for anything else).
QJsonObject ToQJsonObject(const nlohmann::json &j);
// One JSON document on standard output: false, with the message given,
// when it could not be written.
bool PrintJson(const QJsonObject &o);
