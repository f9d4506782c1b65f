#pragma once

#include "model/collection.h"
#include "output/diagram.h"

#include <QPageSize>
#include <QString>

#include <functional>

namespace vexil {

struct BookletOptions {
    QPageSize::PageSizeId page = QPageSize::A4;
    int across = 2;             // diagrams across the page: 2 or 3
    bool solutionsAtEnd = true; // else under each diagram
    bool authorTable = true;    // the authors with their numbers at the end
    DiagramStyle style{StandardDiagramColours(), FairyDrawing::Magazine};
    QString title; // on the first page when not empty
    // Under each item the diagram of each of its twins, smaller, with its label and change.
    bool twinDiagrams = false;
};

// Told how many items are laid out; false stops the booklet, and nothing is written.
using BookletProgress = std::function<bool(int done, int total)>;

// A PDF booklet of `items` (numbered by `numbers`, 1, 2, ... when empty): their diagrams drawn
// by the diagram painter, `across` to a row, each with number, author, source, stipulation,
// piece count, condition and twins under it; the solutions under each diagram or together at
// the end; the table of authors; page numbers. Written atomically; throws Failure ("Cannot
// create file %s"). False when `progress` stopped it.
bool WriteBooklet(const QString& path, const QList<Item>& items, const QList<int>& numbers,
                  const BookletOptions& options, const BookletProgress& progress = {});

// The authors of an item line, each once: several are separated by "; ".
QStringList AuthorsOf(const QString& authorLine);

} // namespace vexil
