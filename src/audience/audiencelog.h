#pragma once

#include <QLoggingCategory>

// What the operator would want explained about the audience window: a show request with no
// screen chosen, its screen going away.
Q_DECLARE_LOGGING_CATEGORY(lcAudience)
