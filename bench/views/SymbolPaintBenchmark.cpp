#include "ViewBenchmarkSupport.h"
#include "views/primitives/SymbolCatalog.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

using pulsegrove::SymbolCatalog;

// Painting every symbol of the interface once into a square of `side` pixels at the given pixel
// ratio, as a repaint of a menu or the panel does: the figure is per symbol.
void paintEverySymbol(benchmark::State &state)
{
    const int side = static_cast<int>(state.range(0));
    const qreal ratio = state.range(1);
    const QStringList symbols = SymbolCatalog::symbolNames();
    QImage image(QSize(side, side) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    for (auto _ : state) {
        for (const QString &symbol : symbols) {
            image.fill(Qt::transparent);
            QPainter painter(&image);
            benchmark::DoNotOptimize(
                SymbolCatalog::paint(painter, QRectF(0, 0, side, side), symbol, QColor(Qt::white)));
        }
    }
    state.SetItemsProcessed(state.iterations() * symbols.size());
}
BENCHMARK(paintEverySymbol)->Args({16, 1})->Args({16, 2})->Args({34, 2})->Unit(benchmark::kMicrosecond);

// A menu's icon as the desktop's menu asks for it: a fresh 16-pixel pixmap from the QIcon.
void menuIconPixmap(benchmark::State &state)
{
    const QIcon icon = SymbolCatalog::icon(QStringLiteral("thermometer.medium"));
    for (auto _ : state)
        benchmark::DoNotOptimize(icon.pixmap(QSize(16, 16), qreal(state.range(0))));
}
BENCHMARK(menuIconPixmap)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return pulsegrove::benchmarking::runBenchmarksInApplication(argc, argv);
}
