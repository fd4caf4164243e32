#include "buttonlog.h"

Q_LOGGING_CATEGORY(lcButton, "pagiscopo.button", QtInfoMsg)
