#pragma once
/* C interface of the headset audio configuration library (libosConfLib.so).
 *
 * The program loads the library at run time from "<program folder>/SDK/" and
 * resolves these functions by name. A property is read or written through
 * PropertyControl with the record of a device from one of the two lists:
 * reads return the value as decimal text in buffer 1; writes take a 32-bit
 * integer or a 32-bit float from the start of buffer 1 (the property decides
 * which). Buffer 2 carries the channel of the level properties (-1 for all
 * channels). Every function returns 0 on success and a negative code from the
 * list below otherwise. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Size of each value buffer the caller passes to PropertyControl. */
#define OSCONF_VALUE_BUFFER_BYTES 1024

/* Device lists. */
#define OSCONF_LIST_PLAYBACK 0
#define OSCONF_LIST_CAPTURE 1

/* Type words of the records: the playback endpoint's form factor, or the
 * capture endpoint. */
#define OSCONF_TYPE_HEADPHONES 1
#define OSCONF_TYPE_MICROPHONE 2
#define OSCONF_TYPE_SPEAKERS 4
#define OSCONF_TYPE_LINE_OUT 7
#define OSCONF_TYPE_USB_AUDIO_OUT 12

/* Set flag of PropertyControl. */
#define OSCONF_GET 0
#define OSCONF_SET 1

/* Results. */
#define OSCONF_OK 0
#define OSCONF_ERR_NOT_INITIALISED (-1)
#define OSCONF_ERR_BAD_ARGUMENT (-2)
#define OSCONF_ERR_NO_DEVICE (-3)
#define OSCONF_ERR_UNKNOWN_PROPERTY (-4)
#define OSCONF_ERR_READ_ONLY (-5)
#define OSCONF_ERR_BAD_VALUE (-6)
#define OSCONF_ERR_IO (-7)
#define OSCONF_ERR_NOT_SUPPORTED (-8)

/* One entry of a device list: 16 bytes, passed by value to PropertyControl. */
typedef struct OsConfDevice {
  int32_t id;       /* the library's handle of the endpoint */
  int32_t type;     /* OSCONF_TYPE_... */
  int32_t card;     /* ALSA card number, -1 for the simulated card */
  int32_t active;   /* 1 while the endpoint is present */
} OsConfDevice;

/* Called after a property of a device changed through this library. */
typedef void (*OsConfCallback)(OsConfDevice device, const char* property, void* context);

int ConfLibInit(void);
int ConfLibUnInit(void);
int CreateDeviceList(void);
int GetDeviceCount(int list_kind, int* count);
int GetDeviceById(int list_kind, int index, OsConfDevice* device);
int PropertyControl(OsConfDevice device, const char* property, void* value1, void* value2, int set);
int RegisterCallbackFunction(OsConfCallback callback, void* context);
int ShowAsioPanel(void);
int PlayTestSound(OsConfDevice device);
int StopTestSound(OsConfDevice device);
int CloseTestSound(OsConfDevice device);

#ifdef __cplusplus
}
#endif
