#pragma once

class CDesignDocument;
class CRecoveryFile;
class QWidget;

// Offers the designs of runs that did not end normally, newest first, until
// the user restores one: it replaces the document's design as one undoable
// step, unexported, and true is returned. A crash copy goes when the user
// declines it; a restored one becomes this run's own copy, renamed into its
// slot (or, when it cannot be moved, goes once this run's own copy holds
// the restored design), so that no crash leaves it twice; one that cannot be read stays
// and the user is told why; one that is no journal, or a damaged one, is
// renamed out of the way. Every copy is claimed while it is asked about, so
// no two programs offer the same one.
bool OfferRecovery(QWidget *parent, CRecoveryFile &recovery, CDesignDocument &document);
