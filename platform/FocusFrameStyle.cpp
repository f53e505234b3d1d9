#include "FocusFrameStyle.h"

#include "ClickableLabel.h"

#include <QCheckBox>
#include <QRadioButton>

void FocusFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                    QPainter *painter, const QWidget *widget) const
{
    if (element == PE_FrameFocusRect && widget &&
        (qobject_cast<const QRadioButton *>(widget) || qobject_cast<const QCheckBox *>(widget))) {
        paintFocusFrame(*painter, widget->rect(), widget->palette());
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
