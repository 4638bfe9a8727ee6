// "Write Test": manual and automatic counted writes per track.
#include <QVBoxLayout>

#include "Main.h"

void TForm1::buildWriteTestPage(QWidget* page) { new QVBoxLayout(page); }
