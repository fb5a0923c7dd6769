#pragma once

#include <QLoggingCategory>

// Failures of the settings store the operator would want explained: a file that cannot be
// read or written, or a path that is not a file at all. Silent in the normal case.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
