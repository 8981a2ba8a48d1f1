#pragma once
// One archive connection per server thread: Qt SQL connections stay in the
// thread that made them, and a PostgreSQL connection costs a server
// process, so each of the server's few threads keeps its own for life.

#include "archiveaddress.h"

class CArchiveDb;

CArchiveDb *threadArchive(const ArchiveAddress &address, QString *error);
