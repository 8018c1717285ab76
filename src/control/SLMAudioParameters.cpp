#include "control/SLMAudioParameters.h"

#include <QMetaProperty>
#include <QStringList>

SLMAudioParameters::SLMAudioParameters(QObject* parent)
    : QObject(parent)
{
}

const QStringList& SLMAudioParameters::propertyNames()
{
    static const QStringList names = [] {
        QStringList list;
        const QMetaObject& meta = SLMAudioParameters::staticMetaObject;
        for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
            list << QString::fromLatin1(meta.property(i).name());
        return list;
    }();
    return names;
}

bool SLMAudioParameters::setByName(const QString& name, double value)
{
    const QMetaObject& meta = SLMAudioParameters::staticMetaObject;
    const int index = meta.indexOfProperty(name.toLatin1().constData());
    if (index < meta.propertyOffset())
        return false;
    const QMetaProperty property = meta.property(index);
    if (property.typeId() == QMetaType::Bool)
        return property.write(this, value != 0.0);
    return property.write(this, value);
}
