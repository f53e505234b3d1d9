#pragma once

class QFile;

// Writes out what Qt still holds of the open file and waits until the system has it on the
// disk, so that a file renamed over the old one is never found empty after a power cut. Each
// system defines it in its own folder.
bool syncToDisk(QFile &file);
