// PLACEHOLDER until the settings part lands: replaced by the real load and save.
#include "app/mainform.h"
void TForm1::LoadSettings() {}
void TForm1::SaveSettings() {}
