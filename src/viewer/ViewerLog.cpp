#include "viewer/ViewerLog.h"

Q_LOGGING_CATEGORY(lcViewer, "pagiscopo.viewer", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDownload, "pagiscopo.viewer.download", QtInfoMsg)
