#include "record/recordlog.h"

Q_LOGGING_CATEGORY(lcRecord, "ravenmark.record")
