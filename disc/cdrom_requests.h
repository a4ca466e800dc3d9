// The platform's CD-ROM device control codes and records.
#ifndef KORVELLO_CDROM_REQUESTS_H
#define KORVELLO_CDROM_REQUESTS_H

#include <windows.h>
#include <winioctl.h>
#include <ntddcdrm.h>

#endif
