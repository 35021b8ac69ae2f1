// PLACEHOLDER until the tray part lands.
#include "app/mainform.h"
void TForm1::CreateTrayIcon() {}
