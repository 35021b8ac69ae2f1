// PLACEHOLDER until the tips part lands.
#include "app/mainform.h"
#include "tips/lvwebtips.h"
void TForm1::tmr1Timer() {}
void TForm1::lblTipsClick() {}
