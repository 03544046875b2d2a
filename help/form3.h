// TForm3, the help window: three fixed topics chosen from link labels.
#pragma once

#include <QMainWindow>

namespace ravo {

class TForm3 : public QMainWindow {
    Q_OBJECT
public:
    TForm3();
};

} // namespace ravo
