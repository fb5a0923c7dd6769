#include "feed/feedlog.h"

Q_LOGGING_CATEGORY(lcFeed, "ravenmark.feed")
