// Stand-in until the update-check service lands.
#pragma once

#include <QString>

class QWidget;

int LocalVersion();
QString UpdateBaseUrl();
void RunUpdateCheck(QWidget* parent, bool enabled);
