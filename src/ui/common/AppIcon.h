#pragma once

#include <QIcon>

namespace tabulex {

// The program's icon, drawn at the usual sizes: two tables with arrows between them.
QIcon applicationIcon();

} // namespace tabulex
