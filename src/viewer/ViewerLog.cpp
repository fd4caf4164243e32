#include "viewer/ViewerLog.h"

Q_LOGGING_CATEGORY(lcViewer, "pagiscopo.viewer")
Q_LOGGING_CATEGORY(lcDownload, "pagiscopo.viewer.download")
