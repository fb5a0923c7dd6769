#pragma once

#include <QLoggingCategory>

// Failures of the game record the operator would want explained: storage that cannot be written,
// a damaged database moved aside.
Q_DECLARE_LOGGING_CATEGORY(lcRecord)
