#include <QtTest>
#include <QtWidgets>

#include "image_view.h"

namespace {

// A shown view whose viewport is exactly the given size, holding a grey picture.
void prepare(ImageView& view, QSize viewport, QSize picture)
{
    view.setFrameShape(QFrame::NoFrame);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.resize(viewport);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.viewport()->size(), viewport);
    QPixmap pixmap(picture);
    pixmap.fill(Qt::gray);
    view.setImage(pixmap, true);
}

// A synthetic drop reaches a widget only through a drag session of the platform.
struct DropView : ImageView
{
    using ImageView::dragEnterEvent;
    using ImageView::dropEvent;
};

}  // namespace

class TestImageView : public QObject
{
    Q_OBJECT

private slots:
    void fitOnOpen()
    {
        // 4000 x 3000 in 1000 x 600: 600 / 3800 of 4000 + 2 * 400 high; a small picture keeps its size.
        const struct { QSize picture; double fit; int margin; QSize shown; } cases[] = {
            {{4000, 3000}, 600.0 / 3800.0, 63, {632, 474}}, {{100, 50}, 1.0, 10, {100, 50}}};
        for (const auto& c : cases) {
            ImageView view;
            prepare(view, {1000, 600}, c.picture);
            QVERIFY(qAbs(view.currentFitScale() - c.fit) < 1e-6);
            QCOMPARE(view.currentScale(), view.currentFitScale());
            QCOMPARE(view.pictureLabel()->margin(), c.margin);
            QCOMPARE(view.pictureLabel()->size(), c.shown + QSize(2 * c.margin, 2 * c.margin));
        }
    }

    void zoomStepsAndResultKeepZoom()
    {
        ImageView view;
        prepare(view, {600, 600}, {1000, 500});
        QCOMPARE(view.currentFitScale(), 0.5);
        view.zoomIn();
        QCOMPARE(view.currentScale(), 0.625);
        // 625 x 313 (312.5 rounded up), margin 62.
        const QSize zoomed(625 + 124, 313 + 124);
        QCOMPARE(view.pictureLabel()->size(), zoomed);

        // A result of the same size is shown at the current zoom; clearing keeps it for the next picture.
        view.setImage(QPixmap(1000, 500), false);
        QCOMPARE(view.pictureLabel()->size(), zoomed);
        view.clear();
        QCOMPARE(view.currentScale(), 0.625);
        QCOMPARE(view.pictureLabel()->size(), zoomed);
    }

    void dropOpensFirstValidUrl()
    {
        DropView view;
        QSignalSpy spy(&view, SIGNAL(urlReceived(QUrl)));

        QMimeData data;
        data.setUrls({QUrl("http://[::1"), QUrl::fromLocalFile("/tmp/second.png"), QUrl::fromLocalFile("/tmp/third.png")});
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        view.dropEvent(&drop);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toUrl(), QUrl::fromLocalFile("/tmp/second.png"));

        // A drag without URLs is not accepted.
        QMimeData text;
        text.setText("words");
        for (QMimeData* offered : {&text, &data}) {
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, offered, Qt::LeftButton, Qt::NoModifier);
            enter.ignore();
            view.dragEnterEvent(&enter);
            QCOMPARE(enter.isAccepted(), offered->hasUrls());
        }
    }
};

QTEST_MAIN(TestImageView)
#include "test_image_view.moc"
