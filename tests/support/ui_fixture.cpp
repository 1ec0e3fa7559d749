#include "support/ui_fixture.h"

#include <QFile>

namespace testing_support {

std::vector<QString> UiTest::messages()
{
    std::vector<QString> texts = services.texts();
    services.forget();
    return texts;
}

std::vector<unsigned char> UiTest::readFile(const QString& name) const
{
    QFile file(pathOf(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

void UiTest::writeFile(const QString& name, const std::vector<unsigned char>& bytes) const
{
    QFile file(pathOf(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

} // namespace testing_support
