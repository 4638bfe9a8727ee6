/* The reader's USB library, loaded by the encoder driver at run time by file
 * name (libZUV_USB.so) and bound by these five names. Plain C. Every call
 * returns 1 for success and anything else for failure. All calls block the
 * caller only briefly (Write_USB until its bytes are taken, bounded) and may
 * be called from any thread; the library holds one device connection per
 * process.
 *
 * This build speaks to the reader's USB function as a CDC-ACM serial device:
 * the device path in the environment variable ZUV_USB_DEVICE, else the first
 * /dev/ttyACM<n> that exists. */
#ifndef ZUV_USB_H
#define ZUV_USB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZUV_USB_EXPORT __attribute__((visibility("default")))

/* A device interface identifier (GUID): 16 bytes, the integers little-endian. */
typedef struct UsbInterfaceGuid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
} UsbInterfaceGuid;

/* The reader's interface: {234C1F01-A6DD-437A-81FD-CED2BE9A4B9F}. */
#define ZUV_USB_READER_INTERFACE \
  { 0x234C1F01u, 0xA6DDu, 0x437Au, { 0x81, 0xFD, 0xCE, 0xD2, 0xBE, 0x9A, 0x4B, 0x9F } }

/* Control codes of Read_USB and Write_USB. */
#define ZUV_USB_READ 0x222004u
#define ZUV_USB_WRITE 0x222008u

/* Looks for the reader's device of `guid`: 1 and *count = 1 when it is
 * there (and, when connected, not hung up); else 0 and *count = 0. */
ZUV_USB_EXPORT int32_t Search_USB(UsbInterfaceGuid guid, int32_t* count);

/* Connects device `index` (0: the only one) of `guid`: 1 connected (also
 * when it already was); 0 no such device or it cannot be opened. */
ZUV_USB_EXPORT int32_t Connect_USB(UsbInterfaceGuid guid, int32_t index);

/* Drops the connection, if any. Always 1. */
ZUV_USB_EXPORT int32_t DisConnect_USB(void);

/* Sends `length` bytes with code ZUV_USB_WRITE: 1 all sent; 0 not
 * connected, another code, or the device took the bytes not within 2 s. */
ZUV_USB_EXPORT int32_t Write_USB(uint32_t controlCode, const char* data, int32_t length);

/* Delivers the bytes that have arrived, without waiting, with code
 * ZUV_USB_READ. *length: on entry the room in `buffer`, on return the count
 * delivered (never more than the room; 0 when nothing came). 1 read; 0 not
 * connected, another code, or the device failed. */
ZUV_USB_EXPORT int32_t Read_USB(uint32_t controlCode, char* buffer, int32_t* length);

typedef int32_t (*Search_USB_Fn)(UsbInterfaceGuid, int32_t*);
typedef int32_t (*Connect_USB_Fn)(UsbInterfaceGuid, int32_t);
typedef int32_t (*DisConnect_USB_Fn)(void);
typedef int32_t (*Write_USB_Fn)(uint32_t, const char*, int32_t);
typedef int32_t (*Read_USB_Fn)(uint32_t, char*, int32_t*);

#ifdef __cplusplus
}
#endif

#endif
