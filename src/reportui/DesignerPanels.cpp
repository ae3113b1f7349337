#include "DesignerPanels.h"

// Panels arrive with the designer window; until then the window has its page view only.
void addDesignerPanels(QMainWindow *, TemplateDocument *, const Report &) {}

void editObjectText(QWidget *, TemplateDocument *, TemplateDocument::ObjectId, const Report &) {}
