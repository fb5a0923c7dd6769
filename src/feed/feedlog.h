#pragma once

#include <QLoggingCategory>

// The live feed: where it listens once it has started, and why it could not.
Q_DECLARE_LOGGING_CATEGORY(lcFeed)
