/* The encoder driver: a host program reads and encodes the three magnetic
 * tracks of a card on the reader through these calls, over a serial port,
 * TCP/IP or USB. Plain C.
 *
 * Every call runs on the caller's thread; the library starts no threads. While
 * a call waits (connecting, sending, draining, awaiting a reply) it runs the
 * host's message pump hook (platform message pump), so the host's handlers may
 * run inside the call. MagAbort may be called from any thread.
 *
 * Calling convention: the platform's C convention (Linux has no stdcall).
 * Integers are 32-bit; pointers have the platform's width.
 *
 * Session handles are non-zero opaque values, valid from a successful open to
 * MagClose; a closed handle is unknown to every call (MRW_NOSESSION). */
#ifndef TRKDRV32_H
#define TRKDRV32_H

#include <stdint.h>

#ifdef __cplusplus
#define TRKDRV_STATIC_ASSERT static_assert
extern "C" {
#else
#define TRKDRV_STATIC_ASSERT _Static_assert
#endif

#define TRKDRV_EXPORT __attribute__((visibility("default")))

/* Commands of MagCoder and MagNBSCoder. */
#define WRITE_CARD 27
#define READ_CARD 28
#define INIT_LINK 32

/* Result codes. The coder calls pack them: low 16 bits the code, high 16 bits
 * the session's last state-machine result. */
#define MAG_PORT_IN_USE (-1)        /* MagOpen: a session of some process holds the port */
#define MRW_OK 0                    /* success */
#define MRW_UNEXPECTED 1            /* unexpected event, failed link initialisation, link lost */
#define MRW_TRANSMISSIONERROR 4     /* reader status 4 */
#define MRW_DATAOVERFLOW 5          /* reader status 6 */
#define MRW_PARITYERROR 6           /* reader status 14 */
#define MRW_STATUS22 8              /* reader status 22 */
#define MRW_COMMANDUNKNOWN 11       /* reader status 5 while reading or writing */
#define MRW_MEMORYOVERFLOW 12       /* reader status 17 */
#define MRW_RECEIVEERROR 13         /* reader status 3 or 20 */
#define MRW_COMMANDREJECTED 14      /* reader status 5 when ready, 8 while writing */
#define MRW_NOSESSION 19            /* the handle is not an open session */
#define MRW_ENCODERERROR 20         /* other reader status, or a read that does not decode */
#define MRW_TIMEOUT 33              /* no complete reply in time */
#define MRW_COMMERROR 34            /* link lost, command refused or not sent */
#define MRW_ABORTED 35              /* ended by MagAbort */
#define MRW_BADCHAR 36              /* track text holds a character outside the track's set */
#define MRW_TOOLONG 37              /* track text longer than the track holds */
#define MRW_SOMEFAILED 38           /* some of the asked tracks failed */
#define MRW_ALLFAILED 39            /* all asked tracks failed */
#define STRUCTSIZEERROR 42          /* CoderRecord size field is not 518 */

#define CODER_RECORD_SIZE 518

/* The host's record of the coder calls, little-endian, 518 bytes. A length
 * byte is 0 for a track not asked; non-zero asks for it (and is the text
 * length of an ISO write); after a read it is the length of the data read. */
typedef struct CoderRecord {
  uint16_t size;        /* must be CODER_RECORD_SIZE */
  uint8_t reserved;     /* not read */
  uint8_t len1;
  uint8_t len2;
  uint8_t len3;
  char scratch[128];    /* text area; MagCoder clears it */
  char track1[128];     /* ISO 7811 text, or 33 raw bytes when the track's flag is 0 */
  char track2[128];
  char track3[128];
} CoderRecord;

TRKDRV_STATIC_ASSERT(sizeof(CoderRecord) == CODER_RECORD_SIZE, "CoderRecord must be 518 bytes");

/* Opens a serial session on port 0-7 (COM1-COM8; a number above 20 means 0).
 * baud: 110 ... 19200 (others mean 9600); parity: 'E', 'O', else none;
 * dataBits: 7, else 8; stopBits: 2, else 1; flow: 0 none, 1 XON/XOFF,
 * 2 and 3 hardware handshakes; timeoutSeconds: reply time-out, 1 to 3600
 * (0 and negative values mean 10, larger values 3600); see MagCoder for how
 * long a call takes.
 * Does not block beyond opening the device. Returns a session handle;
 * MAG_PORT_IN_USE while a session of any process holds the port; 0 when the
 * port cannot be opened, the port number is negative or 20, or 30 sessions
 * are open. */
TRKDRV_EXPORT int32_t MagOpen(int32_t port, int32_t baud, int32_t parity, int32_t dataBits,
                              int32_t stopBits, int32_t flow, int32_t timeoutSeconds);

/* Opens a TCP/IP session to a dotted IPv4 address or a host name. Blocks
 * (running the message pump) until connected, for at most 10 seconds.
 * `unused` is not read; timeoutSeconds as for MagOpen. Returns a session
 * handle; 0 on failure. */
TRKDRV_EXPORT int32_t MagTcpIpOpen(const char* host, int32_t port, int32_t unused,
                                   int32_t timeoutSeconds);

/* Opens a USB session through libZUV_USB.so, loaded by file name at the first
 * USB open; timeoutSeconds as for MagOpen. All USB sessions share the one
 * device. Returns a session handle; 0 when the library or the device is
 * missing or cannot be connected. */
TRKDRV_EXPORT int32_t MagUSBOpen(int32_t timeoutSeconds);

/* Ends a session and releases its port, socket or device; a serial session
 * first waits (bounded) until its output has gone out. 0; MRW_NOSESSION. */
TRKDRV_EXPORT int32_t MagClose(int32_t session);

/* Reads (READ_CARD), writes (WRITE_CARD) the tracks asked in `record`, or
 * initialises the link (INIT_LINK). Blocks while it exchanges lines with the
 * reader: the link initialisation while the session has not made it (its line
 * waits up to 2 s for the reply; a silent or failed first attempt is tried
 * once more, and a reply with status 28 starts one more such pair), then one
 * line per track asked, which waits up to the session's time-out T. Replies
 * are seen at the next 500 ms step; before each line the reader's input is
 * drained in 100 ms steps, at most 300 ms more in all per call. At most four
 * link initialisation lines go out per call, so it returns within
 * 4 x 2.7 s + n x (T + 0.7 s) for n tracks asked, plus the time its lines take
 * to go out. An abort seen during the link initialisation ends the call with
 * MRW_ABORTED, and no track line is sent after the cancel.
 * Packed result (see above); STRUCTSIZEERROR and MRW_NOSESSION come bare. */
TRKDRV_EXPORT int32_t MagCoder(int32_t session, int32_t command, CoderRecord* record);

/* Sends one framed message of the four texts of `texts` (zero-terminated, at
 * offsets 0, 65, 130 and 195) and the record's data on a TCP/IP session;
 * only WRITE_CARD sends. Does not wait for an answer. Packed result. */
TRKDRV_EXPORT int32_t MagNBSCoder(int32_t session, int32_t command, CoderRecord* record,
                                  const char* texts);

/* Asks a running coder call of the session (from a handler or another
 * thread) to stop; it then ends with MRW_ABORTED. TCP/IP and USB sessions
 * share one abort flag with a serial session on port 0. Does not block.
 * 0; MRW_NOSESSION. */
TRKDRV_EXPORT int32_t MagAbort(int32_t session);

/* Returns and clears the session's last errors: bits 0-7 general, 8-15
 * track 1, 16-23 track 2, 24-31 track 3. MRW_NOSESSION for an unknown
 * handle (not to be told from an error word of 19). */
TRKDRV_EXPORT int32_t MagGetLastError(int32_t session);

/* Fills the host's block of at least 111 bytes: "Encoder Driver" at 0,
 * "V2.0" at 30, empty texts at 40, 70, 100 and 110; bytes after each
 * terminator are left alone. `unused` is not read. Returns the address of
 * offset 110; null when `block` is null. EncoderVersion is the same call. */
TRKDRV_EXPORT char* MagEncoderVersion(int32_t unused, char* block);
TRKDRV_EXPORT char* EncoderVersion(int32_t unused, char* block);

/* Set the coding flag of track 3, 1 or 2: non-zero, ISO 7811 characters;
 * 0, raw bits. Takes effect with the next command. Returns the previous flag;
 * MRW_NOSESSION for an unknown handle. */
TRKDRV_EXPORT int32_t MagSetNonHalvikCard(int32_t session, int32_t flag);
TRKDRV_EXPORT int32_t MagSet1NonHalvikCard(int32_t session, int32_t flag);
TRKDRV_EXPORT int32_t MagSet2NonHalvikCard(int32_t session, int32_t flag);

#ifdef __cplusplus
}
#endif

#endif
