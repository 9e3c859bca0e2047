#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("代扣代缴个人所得税明细申报"));
    placeholder.resize(640, 400);
    placeholder.show();
    return app.exec();
}
