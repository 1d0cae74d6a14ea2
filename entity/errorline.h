// The entity's error line: "!<source path>@<line>: <host status text>",
// printed on the command line when a host operation inside an entity
// operation fails. Each reporting operation names its own fixed line.
#pragma once
#include "host/hostapi.h"

// Formats the error line into a 256-character buffer and prints it with
// acutPrintf, without a line break.
void ivPrintErrorLine(int sourceLine, Acad::ErrorStatus es);

// Makes an empty entity of the named run-time class, or null when the class
// is unknown or does not make an entity.
AcDbEntity* ivCreateEntityOfClass(const ACHAR* className);
