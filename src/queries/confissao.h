#pragma once

#include <QString>

namespace kq::queries {

// The confession of debt of one agreement ("Confissão de Dívida" of the
// agreement query). Reads the agreement `cdAcordo` with its debtor and the
// office parameters from the data folder's "devolvidos.mdb", fills the
// template "confissaodivida.doc" of the data folder and opens the filled copy
// in the word processor as a new, unsaved document. The template is never
// changed and nothing is written to the database.
// A missing agreement or template, or a word processor that cannot start, is
// told to the user through the dialog layer; never throws. Returns true when
// the filled document was handed to the word processor.
bool confissaoDivida(const QString &cdAcordo);

} // namespace kq::queries
