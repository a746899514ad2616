#include "files/FilesLog.h"

Q_LOGGING_CATEGORY(lcFiles, "trivox.files")
