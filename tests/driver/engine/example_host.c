/* A host program as a host developer writes one: it opens a TCP/IP session to
 * a reader, writes tracks 1 and 2 of a card, reads them back and compares.
 * Usage: example_host <address> <port>. Exit status 0 when the card reads back
 * what was written. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "TRKDRV32.h"

static void setTrack(char* area, uint8_t* length, const char* text) {
  memset(area, 0, 128);
  strcpy(area, text);
  *length = (uint8_t)strlen(text);
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s <address> <port>\n", argv[0]);
    return 2;
  }
  char version[128];
  MagEncoderVersion(0, version);
  printf("%s %s\n", version, version + 30);

  int32_t session = MagTcpIpOpen(argv[1], atoi(argv[2]), 0, 5);
  if (session == 0) {
    fprintf(stderr, "cannot connect to %s:%s\n", argv[1], argv[2]);
    return 1;
  }

  CoderRecord card;
  memset(&card, 0, sizeof card);
  card.size = CODER_RECORD_SIZE;
  setTrack(card.track1, &card.len1, "EXAMPLE HOST^CARD");
  setTrack(card.track2, &card.len2, "1234567890=42");
  int32_t result = MagCoder(session, WRITE_CARD, &card);
  if ((result & 0xFFFF) != MRW_OK) {
    fprintf(stderr, "write failed: %d, last errors %08x\n", result & 0xFFFF,
            (unsigned)MagGetLastError(session));
    MagClose(session);
    return 1;
  }

  CoderRecord back;
  memset(&back, 0, sizeof back);
  back.size = CODER_RECORD_SIZE;
  back.len1 = 1; /* any non-zero length asks for the track */
  back.len2 = 1;
  result = MagCoder(session, READ_CARD, &back);
  MagClose(session);
  if ((result & 0xFFFF) != MRW_OK) {
    fprintf(stderr, "read failed: %d\n", result & 0xFFFF);
    return 1;
  }
  printf("track 1: %.*s\n", back.len1, back.track1);
  printf("track 2: %.*s\n", back.len2, back.track2);
  return strcmp(back.track1, card.track1) == 0 && strcmp(back.track2, card.track2) == 0 ? 0 : 1;
}
