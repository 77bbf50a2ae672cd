// The network view of a file with an extension: its tables with every call
// of every train, and the rules that say which calls may be used. The
// queries of the structured interface read it; the seven operations read the
// sections alone.
#ifndef MURLO_DB_NETWORK_TABLES_H_
#define MURLO_DB_NETWORK_TABLES_H_

#include "db/extension_format.h"
#include "db/network_extension.h"
#include "db/timetable_db.h"

namespace murlo {

// The tables of `sections` with the stop list of each train the extension
// lists replaced by its whole one, block 9's trains and stations after the
// sections' own, every station's call list made anew from the stop lists
// (ascending by train, then stop), and the extension's rules. When the
// extension restricts no call and holds no more trains, the view shares
// the sections' tables as they are. The sections' stop lists keep their
// four-digit stations (TimetableDb::stopDigits). With `inFile` (the
// extension read in place from the file the sections share), the view's
// stop lists are spans of the file: nothing of them is copied.
// REQUIRES: `extension` is valid for the tables' counts (extensionProblem).
// May throw std::bad_alloc.
TimetableDb networkTables(const TimetableDb& sections, NetworkExtension extension,
                          const RecordsInFile* inFile = nullptr);

}  // namespace murlo

#endif  // MURLO_DB_NETWORK_TABLES_H_
