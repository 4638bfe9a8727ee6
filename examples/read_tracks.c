/* A host program of the encoder driver: reads the three tracks of the card in
 * a reader over TCP/IP and prints them.
 *   read_tracks <address> <port>
 * Builds against an installed driver with nothing but its pkg-config file:
 *   cc read_tracks.c $(pkg-config --cflags --libs TRKDRV32)
 * Exits 0 when every track was read, 1 when a call failed, 2 on bad usage. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "TRKDRV32.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s <address> <port>\n", argv[0]);
    return 2;
  }
  int32_t session = MagTcpIpOpen(argv[1], atoi(argv[2]), 0, 5);
  if (session == 0) {
    fprintf(stderr, "MagTcpIpOpen: cannot connect to %s port %s\n", argv[1], argv[2]);
    return 1;
  }
  MagSetNonHalvikCard(session, 1); /* track 3 in ISO characters, as tracks 1 and 2 */

  CoderRecord card;
  memset(&card, 0, sizeof card);
  card.size = CODER_RECORD_SIZE;
  card.len1 = card.len2 = card.len3 = 1; /* a non-zero length asks for the track */
  int32_t result = MagCoder(session, READ_CARD, &card);
  int32_t closed = MagClose(session);
  if ((result & 0xFFFF) != MRW_OK) {
    fprintf(stderr, "MagCoder: result %d\n", result & 0xFFFF);
    return 1;
  }
  if (closed != MRW_OK) {
    fprintf(stderr, "MagClose: result %d\n", closed);
    return 1;
  }
  printf("track 1: %.*s\n", card.len1, card.track1);
  printf("track 2: %.*s\n", card.len2, card.track2);
  printf("track 3: %.*s\n", card.len3, card.track3);
  return 0;
}
