// PLACEHOLDER until the window part lands.
#include "app/mainform.h"
#include <QTimer>
void TForm1::CreateControls() {
    resize(544, 362);
    tmrSec = new QTimer(this);
    tmrHour = new QTimer(this);
    tmr1 = new QTimer(this);
}
void TForm1::ConnectControls() {}
void TForm1::chkDispTopClick() {}
void TForm1::lbl3Click() {}
void TForm1::lbl4Click() {}
void TForm1::lbl8Click() {}
void TForm1::lbl5Click() {}
