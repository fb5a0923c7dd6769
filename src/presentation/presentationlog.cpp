#include "presentation/presentationlog.h"

Q_LOGGING_CATEGORY(lcPresentation, "ravenmark.presentation")
