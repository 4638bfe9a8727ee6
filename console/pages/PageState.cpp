#include "pages/PageState.h"

#include "link/link.h"

char NormChar[2] = {'B', '\0'};
int BitMemoryMode = 0;
int ReadMode = 1;
int WriteMode = 1;

TrackCommand ReadModeCommand(int mode) {
  switch (mode) {
    case 2: return {26, CMD_READ_INSIDE_EJECT_BACK};
    case 3: return {28, CMD_READ_INSIDE_MOVE_FRONT};
    case 4: return {18, CMD_READ_INSERT_MOVE_BACK};
    case 5: return {22, CMD_READ_INSERT_EJECT_FRONT};
    case 6: return {24, CMD_READ_INSERT_EJECT_BACK};
    default: return {20, CMD_READ_INSIDE_MOVE_BACK};
  }
}

TrackCommand WriteModeCommand(int mode) {
  switch (mode) {
    case 2: return {27, CMD_WRITE_INSIDE_EJECT_BACK};
    case 3: return {19, CMD_WRITE_INSIDE_EJECT_FRONT};
    case 4: return {23, CMD_WRITE_INSERT_EJECT_FRONT};
    case 5: return {25, CMD_WRITE_INSERT_EJECT_BACK};
    default: return {21, CMD_WRITE_INSIDE_MOVE_BACK};
  }
}
