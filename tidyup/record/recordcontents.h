// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QVector>
#include <functional>
#include <vector>

// What a run's record holds but for its files' names, which a reader of a hundred thousand of
// them gets one at a time: a plain value, written by RunRecord and filled by RecordReader. Each
// part holds only lines that can be trusted.
struct RecordContents {
    // What a record's first lines say of its run.
    struct Header {
        QString path;
        QString version;
        QString user;
        QString host;
        qint64 pid = 0;
        QDateTime started;
        // Absolute, as the run resolved them.
        QString target;
        QString origs;
        QString energy;
        QString seqNo;
        QString fileExt;
        // How its links name their files: TidyUp::absoluteLinks (a record without the key) or
        // TidyUp::relativeLinks.
        QString links = QLatin1String("absolute");
        // It followed a measurement being written, and when it ended.
        bool follow = false;
        QDateTime endedAt;
        // The files it was about to move, the ones it moved, and whether it ended or was undone.
        int planned = 0;
        int moved = 0;
        bool ended = false;
        bool undone = false;
        // A later run completed it after it was killed.
        bool completed = false;
        // It moved a file, made a link, a folder or an output directory, or completed a killed
        // run, as its last line counts; a run without one may have done any of that.
        bool changed = false;
    };

    // What became of a planned file, as the lines after its plan say; the last one counts.
    enum Result : quint8 {
        NoResult,
        Moved,
        Left,
        ResultMask = 3,
        NoEnergyLink = 4,
        NoSeqNoLink = 8
    };

    // A file that the record says the run was about to move: the line's names, and the fields
    // of the new one.
    struct Plan {
        int index = 0;
        QByteArray name;
        QByteArray newName;
        QByteArray energy;
        QByteArray seqNo;
    };
    using PlanFound = std::function<void(const Plan &plan)>;
    // A line of the record that cannot be trusted, by its number, and why not.
    using Refused = std::function<void(int line, const char *why)>;

    // The first line of every record.
    static constexpr char magic[] = "quorvix-data-record";

    Header header;
    // From index 1 on, one for each planned file; index 0 is not used.
    std::vector<quint8> results { NoResult };
    // The per-energy (0) and per-sequence (1) folders it made.
    QVector<QPair<int, QByteArray>> folders;
    // The output directories it made, and their parents.
    QList<QByteArray> dirs;
};
