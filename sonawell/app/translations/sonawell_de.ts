<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Sonawell</source>
        <translation>Über Sonawell</translation>
    </message>
    <message>
        <source>Sonawell Convertor</source>
        <translation>Sonawell Konverter</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Audio coding by FFmpeg (LGPL 2.1 or later)</source>
        <translation>Audio durch FFmpeg (LGPL 2.1 oder neuer)</translation>
    </message>
    <message>
        <source>Tags by TagLib (LGPL 2.1 / MPL 1.1)</source>
        <translation>Tags durch TagLib (LGPL 2.1 / MPL 1.1)</translation>
    </message>
    <message>
        <source>Windows and dialogs by Qt 6 (LGPL 3)</source>
        <translation>Fenster und Dialoge durch Qt 6 (LGPL 3)</translation>
    </message>
</context>
<context>
    <name>AddJobDialog</name>
    <message>
        <source>All supported files</source>
        <translation>Alle unterstützten Dateien</translation>
    </message>
    <message>
        <source>Windows Media Format Audio Files</source>
        <translation>Windows-Media-Format-Audiodateien</translation>
    </message>
    <message>
        <source>Add conversion Job</source>
        <translation>Konvertierungsauftrag hinzufügen</translation>
    </message>
    <message>
        <source>Output File</source>
        <translation>Ausgabedatei</translation>
    </message>
    <message>
        <source>Source File</source>
        <translation>Quelldatei</translation>
    </message>
    <message>
        <source>Source files</source>
        <translation>Quelldateien</translation>
    </message>
    <message>
        <source>Choose source files</source>
        <translation>Quelldateien wählen</translation>
    </message>
    <message>
        <source>Choose the output file</source>
        <translation>Ausgabedatei wählen</translation>
    </message>
    <message>
        <source>Output Format</source>
        <translation>Ausgabeformat</translation>
    </message>
    <message>
        <source>Invalid Source File Name</source>
        <translation>Ungültiger Quelldateiname</translation>
    </message>
</context>
<context>
    <name>AppSettings</name>
    <message>
        <source>The settings could not be saved to &quot;%1&quot;: %2.</source>
        <translation>Die Einstellungen konnten nicht in „%1“ gespeichert werden: %2.</translation>
    </message>
</context>
<context>
    <name>AudioFormats</name>
    <message>
        <source>FLAC audio files</source>
        <translation>FLAC-Audiodateien</translation>
    </message>
    <message>
        <source>Ogg audio files</source>
        <translation>Ogg-Audiodateien</translation>
    </message>
    <message>
        <source>MPEG-4 audio files</source>
        <translation>MPEG-4-Audiodateien</translation>
    </message>
    <message>
        <source>AIFF audio files</source>
        <translation>AIFF-Audiodateien</translation>
    </message>
    <message>
        <source>WavPack audio files</source>
        <translation>WavPack-Audiodateien</translation>
    </message>
    <message>
        <source>Monkey&apos;s Audio files</source>
        <translation>Monkey&apos;s-Audio-Dateien</translation>
    </message>
    <message>
        <source>MPEG audio files</source>
        <translation>MPEG-Audiodateien</translation>
    </message>
    <message>
        <source>Microsoft Waveform audio files</source>
        <translation>Microsoft-Waveform-Audiodateien</translation>
    </message>
    <message>
        <source>Windows Media Audio files</source>
        <translation>Windows-Media-Audiodateien</translation>
    </message>
</context>
<context>
    <name>BatchProgress</name>
    <message>
        <source>%1 of %2 done</source>
        <translation>%1 von %2 erledigt</translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation>%1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>less than a minute left</source>
        <translation>weniger als eine Minute übrig</translation>
    </message>
    <message>
        <source>about %1 min left</source>
        <translation>noch etwa %1 min</translation>
    </message>
    <message>
        <source>about %1 h %2 min left</source>
        <translation>noch etwa %1 h %2 min</translation>
    </message>
</context>
<context>
    <name>BatchNotifier</name>
    <message>
        <source>%1 %2 finished, %3 failed.</source>
        <translation>%1 %2 fertig, %3 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>job</source>
        <translation>Auftrag</translation>
    </message>
    <message>
        <source>jobs</source>
        <translation>Aufträge</translation>
    </message>
    <message>
        <source>Conversion finished</source>
        <translation>Konvertierung beendet</translation>
    </message>
    <message>
        <source>Show Sonawell</source>
        <translation>Sonawell zeigen</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Converts audio files (MP3, FLAC, Ogg, Opus, M4A, AIFF, WAVE and more) to WMA, and WMA to WAVE or FLAC. A folder is converted with everything below it.</source>
        <translation>Konvertiert Audiodateien (MP3, FLAC, Ogg, Opus, M4A, AIFF, WAVE und weitere) nach WMA und WMA nach WAVE oder FLAC. Ein Ordner wird mit allem darunter konvertiert.</translation>
    </message>
    <message>
        <source>files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Files to convert with the Quick Convert settings (paths or file:// URIs).</source>
        <translation>Dateien, die mit den Schnellkonvertierungs-Einstellungen konvertiert werden (Pfade oder file://-URIs).</translation>
    </message>
    <message>
        <source>[FILE...]</source>
        <translation>[DATEI...]</translation>
    </message>
</context>
<context>
    <name>ConversionDriver</name>
    <message>
        <source>The output file is the source file itself; it was not converted so that it is not overwritten.</source>
        <translation>Die Ausgabedatei ist die Quelldatei selbst; sie wurde nicht konvertiert, damit sie nicht überschrieben wird.</translation>
    </message>
    <message>
        <source>The file %1 already exists.
Do you want to replace it?</source>
        <translation>Die Datei %1 existiert bereits.
Möchten Sie sie ersetzen?</translation>
    </message>
    <message>
        <source>Not converted: %1 already exists.</source>
        <translation>Nicht konvertiert: %1 existiert bereits.</translation>
    </message>
</context>
<context>
    <name>DecoderReason</name>
    <message>
        <source>file not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>empty file</source>
        <translation>leere Datei</translation>
    </message>
    <message>
        <source>the output is the source file</source>
        <translation>die Ausgabe ist die Quelldatei</translation>
    </message>
    <message>
        <source>the WAVE output would exceed its 4 GiB limit</source>
        <translation>die WAVE-Ausgabe würde ihre Grenze von 4 GiB überschreiten</translation>
    </message>
    <message>
        <source>source damaged: no audio could be decoded</source>
        <translation>Quelle beschädigt: kein Audio konnte dekodiert werden</translation>
    </message>
    <message>
        <source>no source or output given</source>
        <translation>keine Quelle oder Ausgabe angegeben</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>nicht genügend Arbeitsspeicher</translation>
    </message>
    <message>
        <source>internal error</source>
        <translation>interner Fehler</translation>
    </message>
    <message>
        <source>cannot read the source: </source>
        <translation>die Quelle kann nicht gelesen werden: </translation>
    </message>
    <message>
        <source>not an audio file the decoder accepts: </source>
        <translation>keine Audiodatei, die der Decoder annimmt: </translation>
    </message>
    <message>
        <source>cannot create the output: </source>
        <translation>die Ausgabe kann nicht angelegt werden: </translation>
    </message>
    <message>
        <source>disk full: </source>
        <translation>Datenträger voll: </translation>
    </message>
    <message>
        <source>cannot write the output: </source>
        <translation>die Ausgabe kann nicht geschrieben werden: </translation>
    </message>
    <message>
        <source>cannot decode the source: </source>
        <translation>die Quelle kann nicht dekodiert werden: </translation>
    </message>
    <message>
        <source>source damaged: %1 of %2 s</source>
        <translation>Quelle beschädigt: %1 von %2 s</translation>
    </message>
    <message>
        <source>source damaged: %1 s decoded</source>
        <translation>Quelle beschädigt: %1 s dekodiert</translation>
    </message>
</context>
<context>
    <name>Encoder</name>
    <message>
        <source>The audio could not be converted to the profile&apos;s format.</source>
        <translation>Der Ton konnte nicht in das Format des Profils umgewandelt werden.</translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation>Nicht genügend Arbeitsspeicher.</translation>
    </message>
    <message>
        <source>The encoder could not start its threads.</source>
        <translation>Der Encoder konnte seine Threads nicht starten.</translation>
    </message>
    <message>
        <source>The output file could not be written: %1</source>
        <translation>Die Ausgabedatei konnte nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>The encoder is still busy with a run.</source>
        <translation>Der Encoder ist noch mit einem Durchlauf beschäftigt.</translation>
    </message>
    <message>
        <source>No source has been added to the encoder.</source>
        <translation>Dem Encoder wurde keine Quelle hinzugefügt.</translation>
    </message>
    <message>
        <source>No output file name has been set.</source>
        <translation>Es wurde kein Ausgabedateiname festgelegt.</translation>
    </message>
    <message>
        <source>The output file is the source file.</source>
        <translation>Die Ausgabedatei ist die Quelldatei.</translation>
    </message>
    <message>
        <source>There is no encoder profile &quot;%1&quot;.</source>
        <translation>Es gibt kein Encoder-Profil „%1“.</translation>
    </message>
    <message>
        <source>not an audio file the encoder accepts: </source>
        <translation>keine Audiodatei, die der Encoder annimmt: </translation>
    </message>
    <message>
        <source>this build of FFmpeg has no &quot;%1&quot; reader</source>
        <translation>dieses FFmpeg hat keinen Leser für „%1“</translation>
    </message>
    <message>
        <source>the file could not be opened (%1)</source>
        <translation>die Datei konnte nicht geöffnet werden (%1)</translation>
    </message>
    <message>
        <source>the file is damaged or is not %1 audio (%2)</source>
        <translation>die Datei ist beschädigt oder kein %1-Audio (%2)</translation>
    </message>
    <message>
        <source>the file is damaged (%1)</source>
        <translation>die Datei ist beschädigt (%1)</translation>
    </message>
    <message>
        <source>the file holds no audio that can be decoded</source>
        <translation>die Datei enthält kein dekodierbares Audio</translation>
    </message>
    <message>
        <source>the file&apos;s audio has no sample rate or channels</source>
        <translation>das Audio der Datei hat keine Abtastrate oder keine Kanäle</translation>
    </message>
    <message>
        <source>the file&apos;s audio decoder could not be opened</source>
        <translation>der Audio-Decoder der Datei konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>unrecognised data</source>
        <translation>unbekannte Daten</translation>
    </message>
    <message>
        <source>no source file is set</source>
        <translation>keine Quelldatei festgelegt</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>empty file</source>
        <translation>leere Datei</translation>
    </message>
    <message>
        <source>file cannot be read: %1</source>
        <translation>Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>the extension &quot;%1&quot; is not one the encoder reads</source>
        <translation>die Endung „%1“ kann der Encoder nicht lesen</translation>
    </message>
    <message>
        <source>its audio does not decode as %1</source>
        <translation>ihr Audio lässt sich nicht als %1 dekodieren</translation>
    </message>
    <message>
        <source>No output file name is set.</source>
        <translation>Es ist kein Ausgabedateiname festgelegt.</translation>
    </message>
    <message>
        <source>The output &quot;%1&quot; is a folder.</source>
        <translation>Die Ausgabe „%1“ ist ein Ordner.</translation>
    </message>
    <message>
        <source>The output file could not be created in &quot;%1&quot;: %2</source>
        <translation>Die Ausgabedatei konnte in „%1“ nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>The output file &quot;%1&quot; could not be written: %2</source>
        <translation>Die Ausgabedatei „%1“ konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The source file cannot be read: %1.</source>
        <translation>Die Quelldatei kann nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>This FFmpeg has no ASF writer.</source>
        <translation>Dieses FFmpeg hat keinen ASF-Schreiber.</translation>
    </message>
    <message>
        <source>The output file could not be created: %1</source>
        <translation>Die Ausgabedatei konnte nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>The source file could not be read: %1</source>
        <translation>Die Quelldatei konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The source file could not be decoded: %1</source>
        <translation>Die Quelldatei konnte nicht dekodiert werden: %1</translation>
    </message>
    <message>
        <source>The source file is damaged: it holds no audio that decodes.</source>
        <translation>Die Quelldatei ist beschädigt: Sie enthält kein dekodierbares Audio.</translation>
    </message>
    <message>
        <source>source damaged: %1 of %2 s</source>
        <translation>Quelle beschädigt: %1 von %2 s</translation>
    </message>
    <message>
        <source>This FFmpeg has no WMA v2 encoder.</source>
        <translation>Dieses FFmpeg hat keinen WMA-v2-Encoder.</translation>
    </message>
    <message>
        <source>The WMA encoder refused the profile&apos;s settings: %1</source>
        <translation>Der WMA-Encoder lehnte die Einstellungen des Profils ab: %1</translation>
    </message>
    <message>
        <source>The WMA encoder failed: %1</source>
        <translation>Der WMA-Encoder ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>High priority is not available on this system (no RealtimeKit service raised the conversion and this user may not lower its nice value); it runs at normal priority.</source>
        <translation>Hohe Priorität ist auf diesem System nicht verfügbar (kein RealtimeKit-Dienst hat die Konvertierung angehoben, und dieser Benutzer darf ihren Nice-Wert nicht senken); sie läuft mit normaler Priorität.</translation>
    </message>
</context>
<context>
    <name>HelpWindow</name>
    <message>
        <source>The help file %1 could not be found.</source>
        <translation>Die Hilfedatei %1 wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>Sonawell Help</source>
        <translation>Sonawell-Hilfe</translation>
    </message>
    <message>
        <source>Help page</source>
        <translation>Hilfeseite</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Vor</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Index</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>Sonawell Help - </source>
        <translation>Sonawell-Hilfe - </translation>
    </message>
</context>
<context>
    <name>IniFile</name>
    <message>
        <source>no settings file</source>
        <translation>keine Einstellungsdatei</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; can&apos;t be stored</source>
        <translation>der Name „%1“ kann nicht gespeichert werden</translation>
    </message>
    <message>
        <source>the file can&apos;t be read</source>
        <translation>die Datei kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>its folder can&apos;t be created</source>
        <translation>ihr Ordner kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>Job</name>
    <message>
        <source>already converted</source>
        <translation>bereits konvertiert</translation>
    </message>
    <message>
        <source>Skipped: %1</source>
        <translation>Übersprungen: %1</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>Failed: %1</source>
        <translation>Fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Done, %1</source>
        <translation>Fertig, %1</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>Stopped (%1)</source>
        <translation>Angehalten (%1)</translation>
    </message>
    <message>
        <source>Skipped</source>
        <translation>Übersprungen</translation>
    </message>
</context>
<context>
    <name>JobTableModel</name>
    <message>
        <source>Source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Not added, as they are not audio files or are folders without any:
%1</source>
        <translation>Nicht hinzugefügt, da keine Audiodateien oder Ordner ohne Audiodateien:
%1</translation>
    </message>
    <message>
        <source>Clear Finished</source>
        <translation>Fertige entfernen</translation>
    </message>
    <message>
        <source>Retry Failed</source>
        <translation>Fehlgeschlagene wiederholen</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Sonawell ended before it had worked off its job list.
Bring back the unfinished job?</source>
        <translation>Sonawell wurde beendet, bevor die Auftragsliste abgearbeitet war.
Den unerledigten Auftrag wiederherstellen?</translation>
    </message>
    <message>
        <source>Sonawell ended before it had worked off its job list.
Bring back the %1 unfinished jobs?</source>
        <translation>Sonawell wurde beendet, bevor die Auftragsliste abgearbeitet war.
Die %1 unerledigten Aufträge wiederherstellen?</translation>
    </message>
    <message>
        <source>%1 of %2 done - %3</source>
        <translation>%1 von %2 erledigt - %3</translation>
    </message>
    <message>
        <source>Sonawell Convertor</source>
        <translation>Sonawell Konverter</translation>
    </message>
    <message>
        <source>Jobs</source>
        <translation>Aufträge</translation>
    </message>
    <message>
        <source>Source: </source>
        <translation>Quelle: </translation>
    </message>
    <message>
        <source>Target: </source>
        <translation>Ziel: </translation>
    </message>
    <message>
        <source>Format: </source>
        <translation>Format: </translation>
    </message>
    <message>
        <source>Status: </source>
        <translation>Status: </translation>
    </message>
    <message>
        <source>Reason: </source>
        <translation>Grund: </translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Add Job</source>
        <translation>Auftrag &amp;hinzufügen</translation>
    </message>
    <message>
        <source>Add Job</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Delete Job</source>
        <translation>Auftrag löschen</translation>
    </message>
    <message>
        <source>&amp;Start Conversion</source>
        <translation>Konvertierung &amp;starten</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Stop Conversion</source>
        <translation>Konvertierung anhalten</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>CPU Priority</source>
        <translation>CPU-Priorität</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>High priority is not available on this system; conversions run at Normal</source>
        <translation>Hohe Priorität ist auf diesem System nicht verfügbar; Konvertierungen laufen mit Normal</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Contents...</source>
        <translation>Inhalt...</translation>
    </message>
    <message>
        <source>Index...</source>
        <translation>Index...</translation>
    </message>
    <message>
        <source>About Sonawell</source>
        <translation>Über Sonawell</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Main</source>
        <translation>Haupt</translation>
    </message>
    <message>
        <source>Stop the converting and exit Sonawell?</source>
        <translation>Die Konvertierung anhalten und Sonawell beenden?</translation>
    </message>
    <message>
        <source>Stopped (100%)</source>
        <translation>Angehalten (100%)</translation>
    </message>
    <message>
        <source>More commands</source>
        <translation>Weitere Befehle</translation>
    </message>
</context>
<context>
    <name>MellorinModule</name>
    <message>
        <source>The decoder library libmellorin.so could not be loaded: %1</source>
        <translation>Die Decoder-Bibliothek libmellorin.so konnte nicht geladen werden: %1</translation>
    </message>
</context>
<context>
    <name>OkCancel</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>OptionsDialog</name>
    <message>
        <source>Sonawell Options</source>
        <translation>Sonawell-Optionen</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Quick Convert</source>
        <translation>Schnellkonvertierung</translation>
    </message>
    <message>
        <source>Output Format</source>
        <translation>Ausgabeformat</translation>
    </message>
    <message>
        <source>Delete source files after converting</source>
        <translation>Quelldateien nach dem Konvertieren löschen</translation>
    </message>
    <message>
        <source>Overwrite existing files without prompt</source>
        <translation>Vorhandene Dateien ohne Nachfrage überschreiben</translation>
    </message>
    <message>
        <source>CPU Priority</source>
        <translation>CPU-Priorität</translation>
    </message>
    <message>
        <source>Low priority</source>
        <translation>Niedrige Priorität</translation>
    </message>
    <message>
        <source>Normal priority</source>
        <translation>Normale Priorität</translation>
    </message>
    <message>
        <source>High priority</source>
        <translation>Hohe Priorität</translation>
    </message>
    <message>
        <source>Save the output to the same directory where the source file is</source>
        <translation>Die Ausgabe im selben Verzeichnis wie die Quelldatei speichern</translation>
    </message>
    <message>
        <source>Target directory</source>
        <translation>Zielverzeichnis</translation>
    </message>
    <message>
        <source>Set the target folder for quick convert</source>
        <translation>Zielordner für die Schnellkonvertierung festlegen</translation>
    </message>
    <message>
        <source>Output format for quick converting :</source>
        <translation>Ausgabeformat für die Schnellkonvertierung:</translation>
    </message>
    <message>
        <source>Choose an absolute folder</source>
        <translation>Wählen Sie einen absoluten Ordner</translation>
    </message>
    <message>
        <source>Invalid target directory</source>
        <translation>Ungültiges Zielverzeichnis</translation>
    </message>
    <message>
        <source>Automatically start the conversion after adding the job</source>
        <translation>Konvertierung nach dem Hinzufügen des Auftrags automatisch starten</translation>
    </message>
</context>
<context>
    <name>Profile</name>
    <message>
        <source>WMA to FLAC</source>
        <translation>WMA nach FLAC</translation>
    </message>
    <message>
        <source>Audio for voice (32 Kbps, 22 kHz, mono)</source>
        <translation>Audio für Sprache (32 Kbit/s, 22 kHz, mono)</translation>
    </message>
    <message>
        <source>Audio for FM radio quality (64 Kbps, 44 kHz, stereo)</source>
        <translation>Audio in UKW-Radioqualität (64 Kbit/s, 44 kHz, stereo)</translation>
    </message>
    <message>
        <source>Audio for near CD quality (96 Kbps, 44 kHz, stereo)</source>
        <translation>Audio in annähernder CD-Qualität (96 Kbit/s, 44 kHz, stereo)</translation>
    </message>
    <message>
        <source>Audio for CD quality (128 Kbps, 44 kHz, stereo)</source>
        <translation>Audio in CD-Qualität (128 Kbit/s, 44 kHz, stereo)</translation>
    </message>
    <message>
        <source>Audio for high quality (160 Kbps, 44 kHz, stereo)</source>
        <translation>Audio in hoher Qualität (160 Kbit/s, 44 kHz, stereo)</translation>
    </message>
    <message>
        <source>Audio for archive quality (192 Kbps, 48 kHz, stereo)</source>
        <translation>Audio in Archivqualität (192 Kbit/s, 48 kHz, stereo)</translation>
    </message>
    <message>
        <source>WMA to WAV</source>
        <translation>WMA nach WAV</translation>
    </message>
</context>
<context>
    <name>ProfileDialog</name>
    <message>
        <source>Set your default profile</source>
        <translation>Standardprofil festlegen</translation>
    </message>
    <message>
        <source>Please set the default profile you want to use when you convert your audio files</source>
        <translation>Bitte legen Sie das Standardprofil fest, das Sie beim Konvertieren Ihrer Audiodateien verwenden möchten</translation>
    </message>
    <message>
        <source>You must select a profile</source>
        <translation>Sie müssen ein Profil auswählen</translation>
    </message>
</context>
<context>
    <name>SourceCheck</name>
    <message>
        <source>file not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine reguläre Datei</translation>
    </message>
    <message>
        <source>empty file</source>
        <translation>leere Datei</translation>
    </message>
    <message>
        <source>file cannot be read: </source>
        <translation>Datei kann nicht gelesen werden: </translation>
    </message>
</context>
<context>
    <name>WaveJob</name>
    <message>
        <source>The WMA file could not be decoded.</source>
        <translation>Die WMA-Datei konnte nicht dekodiert werden.</translation>
    </message>
</context>
<context>
    <name>sw::enc::MonitorPage</name>
    <message>
        <source>Source:</source>
        <translation>Quelle:</translation>
    </message>
    <message>
        <source>Output:</source>
        <translation>Ausgabe:</translation>
    </message>
    <message>
        <source>Profile:</source>
        <translation>Profil:</translation>
    </message>
    <message>
        <source>Elapsed time:</source>
        <translation>Verstrichene Zeit:</translation>
    </message>
    <message>
        <source>Progress:</source>
        <translation>Fortschritt:</translation>
    </message>
    <message>
        <source>Selected job:</source>
        <translation>Gewählter Auftrag:</translation>
    </message>
</context>
<context>
    <name>QuickConvert</name>
    <message>
        <source>not an audio file: %1</source>
        <translation>keine Audiodatei: %1</translation>
    </message>
    <message>
        <source>no audio file in this folder</source>
        <translation>keine Audiodatei in diesem Ordner</translation>
    </message>
</context>
<context>
    <name>ConversionRunner</name>
    <message>
        <source>protected (DRM): can&apos;t be converted</source>
        <translation>geschützt (DRM): kann nicht konvertiert werden</translation>
    </message>
</context>
<context>
    <name>CollectionOptions</name>
    <message>
        <source>Collections</source>
        <translation>Sammlungen</translation>
    </message>
    <message>
        <source>WMA files become:</source>
        <translation>WMA-Dateien werden zu:</translation>
    </message>
    <message>
        <source>Keep the folder structure of folders in the target directory</source>
        <translation>Ordnerstruktur von Ordnern im Zielverzeichnis beibehalten</translation>
    </message>
    <message>
        <source>Skip files already converted (output newer than its source)</source>
        <translation>Bereits konvertierte Dateien überspringen (Ausgabe neuer als ihre Quelle)</translation>
    </message>
</context>
</TS>
