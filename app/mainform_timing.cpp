// PLACEHOLDER until the timing part lands.
#include "app/mainform.h"
void TForm1::chkHourClick() {}
void TForm1::chkHalfClick() {}
void TForm1::btnMinStartClick() {}
void TForm1::btnStopClick() {}
void TForm1::tmrSecTimer() {}
void TForm1::tmrHourTimer() {}
