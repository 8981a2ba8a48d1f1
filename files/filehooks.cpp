#include "filehooks.h"

CMainDlgHooks gMainDlgHooks;
