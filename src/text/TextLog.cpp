#include "text/TextLog.h"

Q_LOGGING_CATEGORY(lcText, "pagiscopo.text", QtInfoMsg)
