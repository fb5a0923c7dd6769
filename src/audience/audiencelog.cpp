#include "audience/audiencelog.h"

Q_LOGGING_CATEGORY(lcAudience, "ravenmark.audience")
