#include "RelayLog.h"

Q_LOGGING_CATEGORY(lcRelay, "trivox.relay")
