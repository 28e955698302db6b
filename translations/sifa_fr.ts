<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>Code_Picker</name>
    <message>
        <source>Code</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Shows the codes that contain this text</source>
        <translation>Affiche les codes qui contiennent ce texte</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Shows the codes whose name contains this text</source>
        <translation>Affiche les codes dont le nom contient ce texte</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Choose &quot;%1&quot;</source>
        <translation>Choisir «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>Codes</source>
        <translation>Codes</translation>
    </message>
</context>
<context>
    <name>Counts_Window</name>
    <message>
        <source>&amp;Field:</source>
        <translation>&amp;Champ&#xa0;:</translation>
    </message>
    <message>
        <source>By count</source>
        <translation>Par nombre</translation>
    </message>
    <message>
        <source>By label</source>
        <translation>Par libellé</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copier</translation>
    </message>
    <message>
        <source>Save as CSV...</source>
        <translation>Enregistrer en CSV...</translation>
    </message>
    <message>
        <source>Save Chart...</source>
        <translation>Enregistrer le graphique...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source> Counts - </source>
        <translation> Décomptes - </translation>
    </message>
    <message>
        <source>Save the counts</source>
        <translation>Enregistrer les décomptes</translation>
    </message>
    <message>
        <source>CSV Files</source>
        <translation>Fichiers CSV</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>Tous les fichiers</translation>
    </message>
    <message>
        <source>Save the chart</source>
        <translation>Enregistrer le graphique</translation>
    </message>
    <message>
        <source>PNG Images</source>
        <translation>Images PNG</translation>
    </message>
    <message>
        <source>SVG Images</source>
        <translation>Images SVG</translation>
    </message>
    <message>
        <source>Counts</source>
        <translation>Décomptes</translation>
    </message>
    <message>
        <source>Chart</source>
        <translation>Graphique</translation>
    </message>
</context>
<context>
    <name>Criteria_Rows</name>
    <message>
        <source>Active</source>
        <translation>Actif</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Champ</translation>
    </message>
    <message>
        <source>Not</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Operator</source>
        <translation>Opérateur</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Valeur</translation>
    </message>
    <message>
        <source>Choose a code from the table</source>
        <translation>Choisir un code dans la table</translation>
    </message>
    <message>
        <source>Criterion %1 active</source>
        <translation>Critère %1 actif</translation>
    </message>
    <message>
        <source>Field of criterion %1</source>
        <translation>Champ du critère %1</translation>
    </message>
    <message>
        <source>Not, criterion %1</source>
        <translation>Non, critère %1</translation>
    </message>
    <message>
        <source>Operator of criterion %1</source>
        <translation>Opérateur du critère %1</translation>
    </message>
    <message>
        <source>Value of criterion %1</source>
        <translation>Valeur du critère %1</translation>
    </message>
    <message>
        <source>Choose a code for criterion %1</source>
        <translation>Choisir un code pour le critère %1</translation>
    </message>
</context>
<context>
    <name>Data_Cache</name>
    <message>
        <source>The cache Data.dat is damaged: some values could not be read and show as empty. The records will be read again from the workbook at the next start.</source>
        <translation>Le cache Data.dat est endommagé : certaines valeurs n’ont pas pu être lues et apparaissent vides. Les fiches seront relues dans le classeur au prochain démarrage.</translation>
    </message>
</context>
<context>
    <name>Default_App</name>
    <message>
        <source>Could not find file</source>
        <translation>Fichier introuvable</translation>
    </message>
    <message>
        <source>File Not Found</source>
        <translation>Fichier non trouvé</translation>
    </message>
    <message>
        <source>Could not find associated application</source>
        <translation>Aucune application associée n&apos;a été trouvée</translation>
    </message>
    <message>
        <source>Application Not Found</source>
        <translation>Application non trouvée</translation>
    </message>
    <message>
        <source>Can&apos;t open file</source>
        <translation>Impossible d&apos;ouvrir le fichier</translation>
    </message>
    <message>
        <source>Open Failed</source>
        <translation>Échec de l&apos;ouverture</translation>
    </message>
</context>
<context>
    <name>Error_Window</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Too many errors: truncated !</source>
        <translation>Trop d&apos;erreurs&#xa0;: liste tronquée&#x202f;!</translation>
    </message>
    <message>
        <source>Problems found</source>
        <translation>Problèmes relevés</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source> Print/Export</source>
        <translation> Impression/Export</translation>
    </message>
    <message>
        <source>Destination</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>To Printer...</source>
        <translation>Vers l&apos;imprimante...</translation>
    </message>
    <message>
        <source>To Clipboard</source>
        <translation>Vers le presse-papiers</translation>
    </message>
    <message>
        <source>Fields</source>
        <translation>Champs</translation>
    </message>
    <message>
        <source>Short</source>
        <translation>Réduit</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Tous</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Personnalisé</translation>
    </message>
    <message>
        <source>Select...</source>
        <translation>Choisir...</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>With Label</source>
        <translation>Avec libellés</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Table</source>
        <translation>Tableau</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Columns</source>
        <translation>colonnes</translation>
    </message>
    <message>
        <source>Documents to create</source>
        <translation>Documents à créer</translation>
    </message>
    <message>
        <source>CSV Files</source>
        <translation>Fichiers CSV</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>Tous les fichiers</translation>
    </message>
    <message>
        <source>%1 written to %2</source>
        <translation>Écrit dans %2&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1 copied to the clipboard</source>
        <translation>Copié dans le presse-papiers&#xa0;: %1</translation>
    </message>
    <message>
        <source>1 record</source>
        <translation>1 fiche</translation>
    </message>
    <message>
        <source>%1 records</source>
        <translation>%1 fiches</translation>
    </message>
    <message>
        <source>%1 sent to the printer</source>
        <translation>Envoyé à l&apos;imprimante&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1 printed into %2</source>
        <translation>Imprimé dans %2&#xa0;: %1</translation>
    </message>
    <message>
        <source>Printing stopped: nothing printed</source>
        <translation>Impression arrêtée&#xa0;: rien n&apos;a été imprimé</translation>
    </message>
    <message>
        <source>Printing...</source>
        <translation>Impression...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>To File...</source>
        <translation>Vers un fichier...</translation>
    </message>
    <message>
        <source>Excel workbook</source>
        <translation>Classeur Excel</translation>
    </message>
</context>
<context>
    <name>Field_Chooser</name>
    <message>
        <source>Available</source>
        <translation>Disponibles</translation>
    </message>
    <message>
        <source>Selected</source>
        <translation>Choisis</translation>
    </message>
    <message>
        <source>Move highlighted</source>
        <translation>Déplacer la sélection</translation>
    </message>
    <message>
        <source>Move all</source>
        <translation>Tout déplacer</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>%1 selection</source>
        <translation>Sélection des %1</translation>
    </message>
    <message>
        <source>Select the highlighted fields</source>
        <translation>Sélectionner les champs en surbrillance</translation>
    </message>
    <message>
        <source>Select all fields</source>
        <translation>Sélectionner tous les champs</translation>
    </message>
    <message>
        <source>Remove the highlighted fields</source>
        <translation>Retirer les champs en surbrillance</translation>
    </message>
    <message>
        <source>Remove all fields</source>
        <translation>Retirer tous les champs</translation>
    </message>
</context>
<context>
    <name>Import</name>
    <message>
        <source>No Data loaded</source>
        <translation>Aucune donnée chargée</translation>
    </message>
    <message>
        <source>... and %1 more problem</source>
        <translation>... et %1 autre problème</translation>
    </message>
    <message>
        <source>... and %1 more problems</source>
        <translation>... et %1 autres problèmes</translation>
    </message>
    <message>
        <source>No input data (empty filename)</source>
        <translation>Aucune donnée en entrée (nom de fichier vide)</translation>
    </message>
    <message>
        <source>No input data (no file found)</source>
        <translation>Aucune donnée en entrée (fichier introuvable)</translation>
    </message>
    <message>
        <source>Initializing...</source>
        <translation>Initialisation...</translation>
    </message>
    <message>
        <source>Openning data...</source>
        <translation>Ouverture des données...</translation>
    </message>
    <message>
        <source>No input data (error openning file)</source>
        <translation>Aucune donnée en entrée (erreur à l&apos;ouverture du fichier)</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Chargement...</translation>
    </message>
    <message>
        <source>Cell %1%2: &quot;%3&quot; %4 -&gt; Ignored</source>
        <translation>Cellule %1%2&#xa0;: «&#xa0;%3&#xa0;» %4 -&gt; ignorée</translation>
    </message>
    <message>
        <source>Closing data...</source>
        <translation>Fermeture des données...</translation>
    </message>
    <message>
        <source>Terminating loading...</source>
        <translation>Fin du chargement...</translation>
    </message>
    <message>
        <source>Unknown code</source>
        <translation>Code inconnu</translation>
    </message>
    <message>
        <source>Not a date</source>
        <translation>Pas une date</translation>
    </message>
    <message>
        <source>Not a hour</source>
        <translation>Pas une heure</translation>
    </message>
    <message>
        <source>Not numeric</source>
        <translation>Non numérique</translation>
    </message>
    <message>
        <source>Below Zero</source>
        <translation>Inférieur à zéro</translation>
    </message>
</context>
<context>
    <name>List_Printer</name>
    <message>
        <source>Printout Preview</source>
        <translation>Aperçu avant impression</translation>
    </message>
    <message>
        <source>Row %1 too large to print: Ignored</source>
        <translation>Ligne %1 trop grande pour être imprimée&#xa0;: ignorée</translation>
    </message>
    <message>
        <source>Do you want to continue ?</source>
        <translation>Voulez-vous continuer&#x202f;?</translation>
    </message>
</context>
<context>
    <name>Output_Buttons</name>
    <message>
        <source>Export...</source>
        <translation>Exporter...</translation>
    </message>
    <message>
        <source>Print...</source>
        <translation>Imprimer...</translation>
    </message>
    <message>
        <source>Counts...</source>
        <translation>Décomptes...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Aide</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Recharger</translation>
    </message>
    <message>
        <source>Load the records again and search again (F5)</source>
        <translation>Recharger les fiches et relancer la recherche (F5)</translation>
    </message>
</context>
<context>
    <name>Record_Window</name>
    <message>
        <source>Record #</source>
        <translation>Fiche n°&#xa0;</translation>
    </message>
</context>
<context>
    <name>Reload_Bar</name>
    <message>
        <source>The workbook %1 has changed on disk since the records were loaded.</source>
        <translation>Le classeur %1 a été modifié sur le disque depuis le chargement des fiches.</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Recharger</translation>
    </message>
    <message>
        <source>Load the records again and search again (F5)</source>
        <translation>Recharger les fiches et relancer la recherche (F5)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>Search</name>
    <message>
        <source>[Any fields]</source>
        <translation>[Tous les champs]</translation>
    </message>
    <message>
        <source>Unkownn code</source>
        <translation>Code inconnu</translation>
    </message>
    <message>
        <source>This column cannot be used as a search criterion.</source>
        <translation>Cette colonne ne peut pas servir de critère de recherche.</translation>
    </message>
    <message>
        <source>An empty value cannot be searched for in this column.</source>
        <translation>Une valeur vide ne peut pas être recherchée dans cette colonne.</translation>
    </message>
    <message>
        <source>This value is not in the list of the column.</source>
        <translation>Cette valeur ne figure pas dans la liste de la colonne.</translation>
    </message>
    <message>
        <source>This value is too long to be used as a search criterion (at most %1 characters).</source>
        <translation>Cette valeur est trop longue pour servir de critère de recherche (%1 caractères au plus).</translation>
    </message>
    <message>
        <source>%1 Record found</source>
        <translation>%1 fiche trouvée</translation>
    </message>
    <message>
        <source>%1 Records found</source>
        <translation>%1 fiches trouvées</translation>
    </message>
    <message>
        <source>No match</source>
        <translation>Aucune fiche trouvée</translation>
    </message>
    <message>
        <source>Ordered by </source>
        <translation>Trié par </translation>
    </message>
    <message>
        <source> (Descending)</source>
        <translation> (décroissant)</translation>
    </message>
    <message>
        <source>Undefined</source>
        <translation>Non défini</translation>
    </message>
    <message>
        <source>%1: </source>
        <translation>%1&#xa0;: </translation>
    </message>
    <message>
        <source>Quick find: %1</source>
        <translation>Recherche rapide&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1 of %2 Records found</source>
        <translation>%1 sur %2 fiches trouvées</translation>
    </message>
    <message>
        <source>It is longer than %1 characters.</source>
        <translation>Elle dépasse %1 caractères.</translation>
    </message>
    <message>
        <source>The file is empty.</source>
        <translation>Le fichier est vide.</translation>
    </message>
    <message>
        <source>The file is not UTF-8 text.</source>
        <translation>Le fichier n’est pas un texte UTF-8.</translation>
    </message>
    <message>
        <source>The file is not a saved search: its first line is not &quot;%1&quot;.</source>
        <translation>Le fichier n’est pas une recherche enregistrée&#xa0;: sa première ligne n’est pas «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>The search was saved by a newer version of the program (format %1).</source>
        <translation>La recherche a été enregistrée par une version plus récente du programme (format %1).</translation>
    </message>
    <message>
        <source>Line %1 is not understood: %2</source>
        <translation>La ligne %1 n’est pas comprise&#xa0;: %2</translation>
    </message>
    <message>
        <source>Line %1: &quot;%2&quot; is not a value this line takes.</source>
        <translation>Ligne %1&#xa0;: «&#xa0;%2&#xa0;» n’est pas une valeur admise par cette ligne.</translation>
    </message>
    <message>
        <source>Line %1: there is no operator &quot;%2&quot;.</source>
        <translation>Ligne %1&#xa0;: l’opérateur «&#xa0;%2&#xa0;» n’existe pas.</translation>
    </message>
    <message>
        <source>Row %1 has no field or no operator.</source>
        <translation>Il manque au critère %1 son champ ou son opérateur.</translation>
    </message>
    <message>
        <source>Row %1: there is no field &quot;%2&quot; in the %3 field list.</source>
        <translation>Critère %1&#xa0;: il n’y a pas de champ «&#xa0;%2&#xa0;» dans la liste des champs %3.</translation>
    </message>
    <message>
        <source>Row %1: the operator &quot;%2&quot; is not offered for &quot;%3&quot;.</source>
        <translation>Critère %1&#xa0;: l’opérateur «&#xa0;%2&#xa0;» n’est pas proposé pour «&#xa0;%3&#xa0;».</translation>
    </message>
    <message>
        <source>Row %1: the value &quot;%2&quot; of &quot;%3&quot; is refused: %4</source>
        <translation>Critère %1&#xa0;: la valeur «&#xa0;%2&#xa0;» de «&#xa0;%3&#xa0;» est refusée&#xa0;: %4</translation>
    </message>
    <message>
        <source>The order names &quot;%1&quot;, which is not a column of the result in %2.</source>
        <translation>Le tri nomme «&#xa0;%1&#xa0;», qui n’est pas une colonne du résultat en %2.</translation>
    </message>
    <message>
        <source>The field set &quot;%1&quot; names no column of the result.</source>
        <translation>L’ensemble de champs «&#xa0;%1&#xa0;» ne nomme aucune colonne du résultat.</translation>
    </message>
    <message>
        <source>The file cannot be read: %1.</source>
        <translation>Le fichier ne peut pas être lu&#xa0;: %1.</translation>
    </message>
</context>
<context>
    <name>Search_Window</name>
    <message>
        <source>Entries must match</source>
        <translation>Critères à satisfaire</translation>
    </message>
    <message>
        <source>All active (And)</source>
        <translation>Tous les actifs (Et)</translation>
    </message>
    <message>
        <source>Any active (Or)</source>
        <translation>Au moins un (Ou)</translation>
    </message>
    <message>
        <source>Submit</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Display option</source>
        <translation>Affichage</translation>
    </message>
    <message>
        <source>Adjust Cell Size</source>
        <translation>Ajuster les cellules</translation>
    </message>
    <message>
        <source>Multi-Columns Sort</source>
        <translation>Tri multicolonne</translation>
    </message>
    <message>
        <source>Show &amp;only this value</source>
        <translation>Afficher &amp;seulement cette valeur</translation>
    </message>
    <message>
        <source>&amp;Exclude this value</source>
        <translation>&amp;Exclure cette valeur</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copier</translation>
    </message>
    <message>
        <source>Counts of this col&amp;umn...</source>
        <translation>Décomptes de cette col&amp;onne...</translation>
    </message>
    <message>
        <source>The three criterion rows are all active: untick one to add a filter.</source>
        <translation>Les trois lignes de critères sont toutes actives&#xa0;: décochez-en une pour ajouter un filtre.</translation>
    </message>
    <message>
        <source>The active rows are combined by &quot;Any active (Or)&quot;: a filter would widen the result. Choose &quot;All active (And)&quot; first.</source>
        <translation>Les lignes actives sont combinées par «&#xa0;Au moins un (Ou)&#xa0;»&#xa0;: un filtre élargirait le résultat. Choisissez d&apos;abord «&#xa0;Tous les actifs (Et)&#xa0;».</translation>
    </message>
    <message>
        <source>Records found</source>
        <translation>Fiches trouvées</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Langue</translation>
    </message>
    <message>
        <source>Quick find</source>
        <translation>Recherche rapide</translation>
    </message>
    <message>
        <source>Quick find (Ctrl+F)</source>
        <translation>Recherche rapide (Ctrl+F)</translation>
    </message>
    <message>
        <source>Ignore accents</source>
        <translation>I&amp;gnorer les accents</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Effacer</translation>
    </message>
    <message>
        <source>Save Search...</source>
        <translation>Enregistrer la recherche...</translation>
    </message>
    <message>
        <source>Open Search...</source>
        <translation>Ouvrir une recherche...</translation>
    </message>
    <message>
        <source>Recent</source>
        <translation>Récentes</translation>
    </message>
    <message>
        <source>Recent searches</source>
        <translation>Recherches récentes</translation>
    </message>
    <message>
        <source>Saved searches</source>
        <translation>Recherches enregistrées</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>Tous les fichiers</translation>
    </message>
    <message>
        <source>Save Search</source>
        <translation>Enregistrer la recherche</translation>
    </message>
    <message>
        <source>Open Search</source>
        <translation>Ouvrir une recherche</translation>
    </message>
    <message>
        <source>The search cannot be opened: %1</source>
        <translation>La recherche ne peut pas être ouverte&#xa0;: %1</translation>
    </message>
    <message>
        <source>No recent search</source>
        <translation>Aucune recherche récente</translation>
    </message>
    <message>
        <source>The search &quot;%1&quot; no longer exists; it is taken off the list.</source>
        <translation>La recherche «&#xa0;%1&#xa0;» n’existe plus&#xa0;; elle est retirée de la liste.</translation>
    </message>
</context>
<context>
    <name>Sort_Dialog</name>
    <message>
        <source>First key</source>
        <translation>Première clé</translation>
    </message>
    <message>
        <source>Second key</source>
        <translation>Deuxième clé</translation>
    </message>
    <message>
        <source>Third key</source>
        <translation>Troisième clé</translation>
    </message>
    <message>
        <source>Fourth key</source>
        <translation>Quatrième clé</translation>
    </message>
    <message>
        <source>Sort</source>
        <translation>Trier</translation>
    </message>
    <message>
        <source>Ascending</source>
        <translation>Croissant</translation>
    </message>
    <message>
        <source>Descending</source>
        <translation>Décroissant</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Not ordered by any column</source>
        <translation>Trié sur aucune colonne</translation>
    </message>
    <message>
        <source>Nothing to do !</source>
        <translation>Rien à faire&#x202f;!</translation>
    </message>
</context>
<context>
    <name>Start_Up</name>
    <message>
        <source>No record description !!!!</source>
        <translation>Aucune description de fiche&#x202f;!</translation>
    </message>
    <message>
        <source>Exit...</source>
        <translation>Fin...</translation>
    </message>
</context>
<context>
    <name>Welcome</name>
    <message>
        <source>&lt;b&gt;Explore the Sifa recommendations&lt;/b&gt;&lt;br&gt;&lt;b&gt;Explorer les recommandations Sifa&lt;/b&gt;</source>
        <translation>&lt;b&gt;Explorer les recommandations Sifa&lt;/b&gt;</translation>
    </message>
    <message>
        <source>The records are read at start-up; press Continue when you are ready. / Les fiches sont lues au démarrage ; cliquez sur Continue quand vous êtes prêt.</source>
        <translation>Les fiches sont lues au démarrage&#x202f;; cliquez sur Continuer quand vous êtes prêt.</translation>
    </message>
    <message>
        <source>Documents and data / Documents et données</source>
        <translation>Documents et données</translation>
    </message>
    <message>
        <source>• User manual / Manuel utilisateur: searching, sorting, reading and exporting, step by step / recherche, tri, lecture et export, pas à pas.</source>
        <translation>• Manuel utilisateur&#xa0;: recherche, tri, lecture et export, pas à pas.</translation>
    </message>
    <message>
        <source>• Synthesis / Synthèse, Rapport Final: the project&apos;s own documents, when they are placed beside the program / les documents du projet, lorsqu&apos;ils sont placés à côté du programme.</source>
        <translation>• Synthèse, Rapport Final&#xa0;: les documents du projet, lorsqu&apos;ils sont placés à côté du programme.</translation>
    </message>
    <message>
        <source>&lt;i&gt;The sample data delivered with the program is invented. Les données d&apos;exemple livrées avec le programme sont inventées.&lt;/i&gt;</source>
        <translation>&lt;i&gt;Les données d&apos;exemple livrées avec le programme sont inventées.&lt;/i&gt;</translation>
    </message>
    <message>
        <source>User manual</source>
        <translation>Manuel (anglais)</translation>
    </message>
    <message>
        <source>Synthesis</source>
        <translation>Synthèse (anglais)</translation>
    </message>
    <message>
        <source> Welcome</source>
        <translation> Bienvenue</translation>
    </message>
    <message>
        <source>Made by the Sifa_Soft developers</source>
        <translation>Réalisé par les développeurs de Sifa_Soft</translation>
    </message>
    <message>
        <source>Load again</source>
        <translation>Charger à nouveau</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>%1 records loaded from the cache %2</source>
        <translation>%1 fiches chargées depuis le cache %2</translation>
    </message>
    <message>
        <source>%1 records loaded from the workbook %2</source>
        <translation>%1 fiches chargées depuis le classeur %2</translation>
    </message>
    <message>
        <source>Loading cancelled: no record loaded</source>
        <translation>Chargement annulé&#xa0;: aucune fiche chargée</translation>
    </message>
    <message>
        <source>No record loaded</source>
        <translation>Aucune fiche chargée</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Continuer</translation>
    </message>
    <message>
        <source>Presentation</source>
        <translation>Présentation</translation>
    </message>
    <message>
        <source>Documents and data</source>
        <translation>Documents et données</translation>
    </message>
    <message>
        <source>Reload cancelled: the records in use are kept</source>
        <translation>Rechargement annulé&#xa0;: les fiches en cours sont conservées</translation>
    </message>
    <message>
        <source>Reload failed: the records in use are kept</source>
        <translation>Échec du rechargement&#xa0;: les fiches en cours sont conservées</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>Workbook_Export</name>
    <message>
        <source>1 text longer than 32,767 characters was cut to that length.</source>
        <translation>1 texte de plus de 32&#xa0;767 caractères a été coupé à cette longueur.</translation>
    </message>
    <message>
        <source>%1 texts longer than 32,767 characters were cut to that length.</source>
        <translation>%1 textes de plus de 32&#xa0;767 caractères ont été coupés à cette longueur.</translation>
    </message>
</context>
</TS>
