<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutPanel</name>
    <message>
        <source>About Korvel</source>
        <translation>Über Korvel</translation>
    </message>
</context>
<context>
    <name>AboutView</name>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Version %1 (build %2)</source>
        <translation>Version %1 (Build %2)</translation>
    </message>
    <message>
        <source>Read the Korvel guide</source>
        <translation>Korvel-Handbuch lesen</translation>
    </message>
    <message>
        <source>The guide is not installed</source>
        <translation>Das Handbuch ist nicht installiert</translation>
    </message>
    <message>
        <source>Made for the OpenSSH client with Qt %1</source>
        <translation>Gemacht für den OpenSSH-Client mit Qt %1</translation>
    </message>
</context>
<context>
    <name>AddHostSheet</name>
    <message>
        <source>New SSH Host</source>
        <translation>Neuer SSH-Host</translation>
    </message>
    <message>
        <source>Host alias</source>
        <translation>Host-Alias</translation>
    </message>
    <message>
        <source>e.g. myserver, prod-db, *.example.com</source>
        <translation>z. B. meinserver, prod-db, *.example.com</translation>
    </message>
    <message>
        <source>The alias is what you type in: ssh &lt;alias&gt;. Set HostName in the detail form for the real address.</source>
        <translation>Den Alias geben Sie ein: ssh &lt;alias&gt;. Die echte Adresse tragen Sie im Detailformular unter HostName ein.</translation>
    </message>
    <message>
        <source>Add Host</source>
        <translation>Host hinzufügen</translation>
    </message>
    <message>
        <source>A host with this alias already exists.</source>
        <translation>Ein Host mit diesem Alias ist bereits vorhanden.</translation>
    </message>
</context>
<context>
    <name>AddOptionSheet</name>
    <message>
        <source>Add Custom SSH Option</source>
        <translation>Eigene SSH-Option hinzufügen</translation>
    </message>
    <message>
        <source>Option name</source>
        <translation>Optionsname</translation>
    </message>
    <message>
        <source>e.g. ControlMaster, HashKnownHosts</source>
        <translation>z. B. ControlMaster, HashKnownHosts</translation>
    </message>
    <message>
        <source>Enter any valid OpenSSH client option. The value can be set after adding.</source>
        <translation>Geben Sie eine beliebige gültige Option des OpenSSH-Clients ein. Den Wert können Sie nach dem Hinzufügen festlegen.</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Checking with ssh…</source>
        <translation>Prüfe mit ssh …</translation>
    </message>
    <message>
        <source>ssh on this system does not know %1. It says: “%2”. “Add Anyway” also lists it under IgnoreUnknown, so ssh skips it instead of stopping.</source>
        <translation>ssh auf diesem System kennt %1 nicht. Die Meldung lautet: „%2“. „Trotzdem hinzufügen“ trägt die Option außerdem unter IgnoreUnknown ein, sodass ssh sie überspringt, statt anzuhalten.</translation>
    </message>
    <message>
        <source>Add Anyway</source>
        <translation>Trotzdem hinzufügen</translation>
    </message>
</context>
<context>
    <name>AtomicFile</name>
    <message>
        <source>Cannot create the folder %1: %2</source>
        <translation>Der Ordner %1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>Cannot back up the file to %1: %2</source>
        <translation>Die Datei kann nicht nach %1 gesichert werden: %2</translation>
    </message>
</context>
<context>
    <name>BinScriptsModel</name>
    <message>
        <source>Cannot access /usr/local/bin/</source>
        <translation>Kein Zugriff auf /usr/local/bin/</translation>
    </message>
    <message>
        <source>Cannot read /usr/local/bin/</source>
        <translation>/usr/local/bin/ kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Found %1 file in /usr/local/bin/</source>
        <translation>%1 Datei in /usr/local/bin/ gefunden</translation>
    </message>
    <message>
        <source>Found %1 files in /usr/local/bin/</source>
        <translation>%1 Dateien in /usr/local/bin/ gefunden</translation>
    </message>
    <message>
        <source>%1 is a directory</source>
        <translation>%1 ist ein Ordner</translation>
    </message>
    <message>
        <source>Not a valid file name: %1</source>
        <translation>Kein gültiger Dateiname: %1</translation>
    </message>
    <message>
        <source>No administrator access</source>
        <translation>Keine Administratorrechte</translation>
    </message>
    <message>
        <source>Save failed: %1</source>
        <translation>Speichern fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Create failed: %1</source>
        <translation>Erstellen fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Delete failed: %1</source>
        <translation>Löschen fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Saved: %1</source>
        <translation>Gespeichert: %1</translation>
    </message>
    <message>
        <source>Created: %1</source>
        <translation>Erstellt: %1</translation>
    </message>
    <message>
        <source>Deleted: %1</source>
        <translation>Gelöscht: %1</translation>
    </message>
</context>
<context>
    <name>BinScriptsView</name>
    <message>
        <source>Local Scripts</source>
        <translation>Lokale Skripte</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>New script</source>
        <translation>Neues Skript</translation>
    </message>
    <message>
        <source>Scripts</source>
        <translation>Skripte</translation>
    </message>
    <message>
        <source>Select a script to view or edit</source>
        <translation>Wählen Sie ein Skript zum Ansehen oder Bearbeiten aus</translation>
    </message>
    <message>
        <source>New Script</source>
        <translation>Neues Skript</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Text / Shell Script</source>
        <translation>Text / Shell-Skript</translation>
    </message>
    <message>
        <source>Binary Executable</source>
        <translation>Ausführbare Binärdatei</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Permissions</source>
        <translation>Berechtigungen</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>%1 line</source>
        <translation>%1 Zeile</translation>
    </message>
    <message>
        <source>%1 lines</source>
        <translation>%1 Zeilen</translation>
    </message>
    <message>
        <source>(empty file)</source>
        <translation>(leere Datei)</translation>
    </message>
    <message>
        <source>Binary files cannot be previewed.</source>
        <translation>Für Binärdateien gibt es keine Vorschau.</translation>
    </message>
    <message>
        <source>Edit Script</source>
        <translation>Skript bearbeiten</translation>
    </message>
    <message>
        <source>Opens a dedicated editor window · saves with %1 · admin password requested if needed.</source>
        <translation>Öffnet ein eigenes Editorfenster · speichert mit %1 · fragt bei Bedarf nach dem Administratorpasswort.</translation>
    </message>
    <message>
        <source>Enter the script name. It will be created in /usr/local/bin/ and made executable. An admin password may be required.</source>
        <translation>Geben Sie den Namen des Skripts ein. Es wird in /usr/local/bin/ angelegt und ausführbar gemacht. Eventuell wird das Administratorpasswort benötigt.</translation>
    </message>
    <message>
        <source>e.g. deploy, backup-db, health-check</source>
        <translation>z. B. deploy, backup-db, health-check</translation>
    </message>
    <message>
        <source>Script name</source>
        <translation>Skriptname</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Erstellen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Script name cannot contain slashes or spaces.</source>
        <translation>Der Skriptname darf keine Schrägstriche oder Leerzeichen enthalten.</translation>
    </message>
    <message>
        <source>Replace Script?</source>
        <translation>Skript ersetzen?</translation>
    </message>
    <message>
        <source>A script named %1 already exists. Replace it?</source>
        <translation>Ein Skript namens %1 ist bereits vorhanden. Ersetzen?</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Delete Script?</source>
        <translation>Skript löschen?</translation>
    </message>
    <message>
        <source>Permanently delete &quot;%1&quot;? This cannot be undone.</source>
        <translation>„%1“ endgültig löschen? Dies kann nicht rückgängig gemacht werden.</translation>
    </message>
</context>
<context>
    <name>ConfigSources</name>
    <message>
        <source>this host</source>
        <translation>dieser Host</translation>
    </message>
    <message>
        <source>%1 — line %2</source>
        <translation>%1 — Zeile %2</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message>
        <source>%1 changed on disk</source>
        <translation>%1 wurde auf der Festplatte geändert</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Neu laden</translation>
    </message>
    <message>
        <source>Keep Mine</source>
        <translation>Meine Fassung behalten</translation>
    </message>
    <message>
        <source>Search hosts</source>
        <translation>Hosts durchsuchen</translation>
    </message>
    <message>
        <source>Clear search</source>
        <translation>Suche leeren</translation>
    </message>
    <message>
        <source>Hosts and tools</source>
        <translation>Hosts und Werkzeuge</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Korvel</source>
        <translation>Korvel</translation>
    </message>
    <message>
        <source>Select a host to edit, or use the toolbar to add a new one.</source>
        <translation>Wählen Sie einen Host zum Bearbeiten aus oder fügen Sie über die Werkzeugleiste einen neuen hinzu.</translation>
    </message>
    <message>
        <source>Add Host</source>
        <translation>Host hinzufügen</translation>
    </message>
    <message>
        <source>Known Hosts</source>
        <translation>Bekannte Hosts</translation>
    </message>
    <message>
        <source>SSH Keys</source>
        <translation>SSH-Schlüssel</translation>
    </message>
    <message>
        <source>Local Scripts</source>
        <translation>Lokale Skripte</translation>
    </message>
    <message>
        <source>Duplicate</source>
        <translation>Duplizieren</translation>
    </message>
    <message>
        <source>Remove &quot;%1&quot; from your SSH config?</source>
        <translation>„%1“ aus Ihrer SSH-Konfiguration entfernen?</translation>
    </message>
    <message>
        <source>Remove Host?</source>
        <translation>Host entfernen?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Unsaved Changes</source>
        <translation>Ungespeicherte Änderungen</translation>
    </message>
    <message>
        <source>You have unsaved changes. Save before reloading?</source>
        <translation>Es gibt ungespeicherte Änderungen. Vor dem Neuladen speichern?</translation>
    </message>
    <message>
        <source>Save &amp; Reload</source>
        <translation>Speichern &amp; neu laden</translation>
    </message>
    <message>
        <source>Discard &amp; Reload</source>
        <translation>Verwerfen &amp; neu laden</translation>
    </message>
    <message>
        <source>Overwrite Changes on Disk?</source>
        <translation>Änderungen auf der Festplatte überschreiben?</translation>
    </message>
    <message>
        <source>%1 was changed by another program since Korvel read it. Saving replaces those changes with yours.</source>
        <translation>%1 wurde von einem anderen Programm geändert, seit Korvel die Datei gelesen hat. Beim Speichern werden diese Änderungen durch Ihre ersetzt.</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Überschreiben</translation>
    </message>
    <message>
        <source>Read-only, in %1</source>
        <translation>Schreibgeschützt, in %1</translation>
    </message>
    <message>
        <source>Save Before Connecting?</source>
        <translation>Vor dem Verbinden speichern?</translation>
    </message>
    <message>
        <source>ssh reads %1 as it is on disk, without your unsaved changes. Save them first?</source>
        <translation>ssh liest %1 so, wie die Datei auf der Festplatte steht, ohne Ihre ungespeicherten Änderungen. Zuerst speichern?</translation>
    </message>
    <message>
        <source>Save &amp; Connect</source>
        <translation>Speichern &amp; verbinden</translation>
    </message>
    <message>
        <source>Connect Without Saving</source>
        <translation>Ohne Speichern verbinden</translation>
    </message>
    <message>
        <source>Cannot Open a Terminal</source>
        <translation>Terminal kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Open the file this host is defined in</source>
        <translation>Die Datei öffnen, in der dieser Host steht</translation>
    </message>
    <message>
        <source>What ssh uses</source>
        <translation>Was ssh verwendet</translation>
    </message>
    <message>
        <source>Show every value ssh takes for this host, and where it comes from</source>
        <translation>Jeden Wert zeigen, den ssh für diesen Host nimmt, und woher er stammt</translation>
    </message>
    <message>
        <source>Options of this host</source>
        <translation>Optionen dieses Hosts</translation>
    </message>
</context>
<context>
    <name>GenerateKeySheet</name>
    <message>
        <source>Generate New SSH Key Pair</source>
        <translation>Neues SSH-Schlüsselpaar erzeugen</translation>
    </message>
    <message>
        <source>Key Type</source>
        <translation>Schlüsseltyp</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>The key file name, saved to ~/.ssh/. The public key gets a .pub suffix. Use the standard name (id_ed25519, id_rsa, etc.) unless you need multiple keys for different purposes.</source>
        <translation>Der Name der Schlüsseldatei, gespeichert in ~/.ssh/. Der öffentliche Schlüssel erhält die Endung .pub. Verwenden Sie den Standardnamen (id_ed25519, id_rsa usw.), sofern Sie nicht mehrere Schlüssel für verschiedene Zwecke brauchen.</translation>
    </message>
    <message>
        <source>Identity</source>
        <translation>Identität</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>A label embedded in the public key to identify it. Typically your email address or a description like &apos;work-laptop&apos;. Shown in authorized_keys on servers.</source>
        <translation>Eine Bezeichnung im öffentlichen Schlüssel, an der er sich erkennen lässt. Meist Ihre E-Mail-Adresse oder eine Beschreibung wie „arbeits-laptop“. Erscheint auf Servern in authorized_keys.</translation>
    </message>
    <message>
        <source>Security</source>
        <translation>Sicherheit</translation>
    </message>
    <message>
        <source>Protect with passphrase</source>
        <translation>Mit Passphrase schützen</translation>
    </message>
    <message>
        <source>Passphrase</source>
        <translation>Passphrase</translation>
    </message>
    <message>
        <source>Confirm passphrase</source>
        <translation>Passphrase bestätigen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Generate</source>
        <translation>Erzeugen</translation>
    </message>
    <message>
        <source>~/.ssh/(enter filename)</source>
        <translation>~/.ssh/(Dateiname eingeben)</translation>
    </message>
    <message>
        <source>Saves as: %1</source>
        <translation>Speichert als: %1</translation>
    </message>
    <message>
        <source>%1 already exists — will overwrite.</source>
        <translation>%1 ist bereits vorhanden — wird überschrieben.</translation>
    </message>
    <message>
        <source>Replace Key Pair?</source>
        <translation>Schlüsselpaar ersetzen?</translation>
    </message>
    <message>
        <source>Replace %1 and %1.pub?</source>
        <translation>%1 und %1.pub ersetzen?</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Encrypts the private key on disk. With AddKeysToAgent yes in your SSH config, ssh-agent keeps the key unlocked after its first use, so you type the passphrase once per session; where your desktop runs a keyring, it can remember the passphrase for you. An unprotected key is convenient but riskier if your disk is compromised.</source>
        <translation>Verschlüsselt den privaten Schlüssel auf der Festplatte. Mit AddKeysToAgent yes in Ihrer SSH-Konfiguration hält ssh-agent den Schlüssel nach der ersten Verwendung entsperrt, sodass Sie die Passphrase einmal pro Sitzung eingeben; wo Ihre Arbeitsumgebung einen Schlüsselbund hat, kann er sich die Passphrase für Sie merken. Ein ungeschützter Schlüssel ist bequem, aber riskanter, falls Ihre Festplatte in falsche Hände gerät.</translation>
    </message>
    <message>
        <source>Tip: add a passphrase and set AddKeysToAgent yes in your SSH config: ssh-agent then asks for it once per session, and your desktop&apos;s keyring can remember it where one runs.</source>
        <translation>Tipp: Vergeben Sie eine Passphrase und setzen Sie AddKeysToAgent yes in Ihrer SSH-Konfiguration: ssh-agent fragt dann einmal pro Sitzung danach, und wo ein Schlüsselbund der Arbeitsumgebung läuft, kann er sie sich merken.</translation>
    </message>
</context>
<context>
    <name>HostBlock</name>
    <message>
        <source>* (Global Defaults)</source>
        <translation>* (globale Vorgaben)</translation>
    </message>
</context>
<context>
    <name>HostDetailView</name>
    <message>
        <source>Host Alias</source>
        <translation>Host-Alias</translation>
    </message>
    <message>
        <source>(unset)</source>
        <translation>(nicht gesetzt)</translation>
    </message>
    <message>
        <source>Add another %1</source>
        <translation>Weitere %1-Zeile hinzufügen</translation>
    </message>
    <message>
        <source>Help for %1</source>
        <translation>Hilfe zu %1</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <extracomment>An option name and the number of its field, for a screen reader (&quot;IdentityFile 2&quot;).</extracomment>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>%1 entfernen</translation>
    </message>
    <message>
        <source>Clear %1</source>
        <translation>%1 leeren</translation>
    </message>
    <message>
        <source>Browse for private key file</source>
        <translation>Private Schlüsseldatei auswählen</translation>
    </message>
    <message>
        <source>Browse for private key file %1</source>
        <translation>Private Schlüsseldatei %1 auswählen</translation>
    </message>
    <message>
        <source>Identity</source>
        <translation>Identität</translation>
    </message>
    <message>
        <source>The alias used in `ssh &lt;alias&gt;` commands. Can be a short nickname, a wildcard pattern like *.example.com, or * for global defaults that apply to all hosts. Does not need to match the real hostname.</source>
        <translation>Der Alias in Befehlen wie `ssh &lt;alias&gt;`. Das kann ein kurzer Spitzname sein, ein Muster mit Platzhaltern wie *.example.com oder * für globale Vorgaben, die für alle Hosts gelten. Er muss nicht mit dem echten Hostnamen übereinstimmen.</translation>
    </message>
    <message>
        <source>Help for Host Alias</source>
        <translation>Hilfe zum Host-Alias</translation>
    </message>
    <message>
        <source>Custom Options</source>
        <translation>Eigene Optionen</translation>
    </message>
    <message>
        <source>Add Custom Option</source>
        <translation>Eigene Option hinzufügen</translation>
    </message>
    <message>
        <source>Hide Advanced Options</source>
        <translation>Erweiterte Optionen ausblenden</translation>
    </message>
    <message>
        <source>Show Advanced Options</source>
        <translation>Erweiterte Optionen anzeigen</translation>
    </message>
    <message>
        <source>ssh uses the first %1 line; the 1 later line is ignored.</source>
        <translation>ssh verwendet die erste %1-Zeile; die 1 spätere Zeile wird ignoriert.</translation>
    </message>
    <message>
        <source>ssh uses the first %1 line; the %2 later lines are ignored.</source>
        <translation>ssh verwendet die erste %1-Zeile; die %2 späteren Zeilen werden ignoriert.</translation>
    </message>
    <message>
        <source>Select Private Key</source>
        <translation>Privaten Schlüssel auswählen</translation>
    </message>
    <message>
        <source>Choose your SSH private key file</source>
        <translation>Wählen Sie Ihre private SSH-Schlüsseldatei</translation>
    </message>
    <message>
        <source>ssh on this system does not know %1 and stops reading the file here.</source>
        <translation>ssh auf diesem System kennt %1 nicht und liest die Datei ab hier nicht weiter.</translation>
    </message>
    <message>
        <source>Let ssh Skip It</source>
        <translation>Von ssh überspringen lassen</translation>
    </message>
    <message>
        <source>Adds “IgnoreUnknown %1” as the first line of this host, so ssh skips %1 and reads on.</source>
        <translation>Fügt „IgnoreUnknown %1“ als erste Zeile dieses Hosts ein, sodass ssh %1 überspringt und weiterliest.</translation>
    </message>
    <message>
        <source>ssh does not accept this value: %1</source>
        <translation>ssh akzeptiert diesen Wert nicht: %1</translation>
    </message>
    <message>
        <source>ssh stops reading the saved file here: %1</source>
        <translation>ssh liest die gespeicherte Datei ab hier nicht weiter: %1</translation>
    </message>
</context>
<context>
    <name>InfoButton</name>
    <message>
        <source>Show help</source>
        <translation>Hilfe anzeigen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
</context>
<context>
    <name>KeyActionSheet</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>KeyDelegate</name>
    <message>
        <source>in agent</source>
        <translation>im Agenten</translation>
    </message>
</context>
<context>
    <name>KeyDetailView</name>
    <message>
        <source>Key Information</source>
        <translation>Schlüsselinformationen</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Fingerprint</source>
        <translation>Fingerabdruck</translation>
    </message>
    <message>
        <source>Actions</source>
        <translation>Aktionen</translation>
    </message>
    <message>
        <source>View Public Key</source>
        <translation>Öffentlichen Schlüssel anzeigen</translation>
    </message>
    <message>
        <source>Delete Key Pair</source>
        <translation>Schlüsselpaar löschen</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(keiner)</translation>
    </message>
    <message>
        <source>Copied!</source>
        <translation>Kopiert!</translation>
    </message>
    <message>
        <source>Copy Public Key</source>
        <translation>Öffentlichen Schlüssel kopieren</translation>
    </message>
    <message>
        <source>Used by</source>
        <translation>Verwendet von</translation>
    </message>
    <message>
        <source>SSH agent</source>
        <translation>SSH-Agent</translation>
    </message>
    <message>
        <source>Change Passphrase…</source>
        <translation>Passphrase ändern …</translation>
    </message>
    <message>
        <source>Change Comment…</source>
        <translation>Kommentar ändern …</translation>
    </message>
    <message>
        <source>Add to Agent</source>
        <translation>Zum Agenten hinzufügen</translation>
    </message>
    <message>
        <source>Remove from Agent</source>
        <translation>Aus dem Agenten entfernen</translation>
    </message>
    <message>
        <source>Copy to Server…</source>
        <translation>Auf Server kopieren …</translation>
    </message>
    <message>
        <source>No host in the config</source>
        <translation>Kein Host in der Konfiguration</translation>
    </message>
    <message>
        <source>Asking the agent…</source>
        <translation>Agent wird gefragt …</translation>
    </message>
    <message>
        <source>No SSH agent is running</source>
        <translation>Es läuft kein SSH-Agent</translation>
    </message>
    <message>
        <source>Loaded</source>
        <translation>Geladen</translation>
    </message>
    <message>
        <source>Not loaded</source>
        <translation>Nicht geladen</translation>
    </message>
</context>
<context>
    <name>KeyEditor</name>
    <message>
        <source>Cannot prepare the passphrase helper.</source>
        <translation>Das Hilfsprogramm für die Passphrase kann nicht vorbereitet werden.</translation>
    </message>
    <message>
        <source>Passphrase changed: %1</source>
        <translation>Passphrase geändert: %1</translation>
    </message>
    <message>
        <source>%1 was saved without a passphrase: the new passphrase could not be handed to ssh-keygen.</source>
        <translation>%1 wurde ohne Passphrase gespeichert: Die neue Passphrase konnte nicht an ssh-keygen übergeben werden.</translation>
    </message>
    <message>
        <source>Comment changed: %1</source>
        <translation>Kommentar geändert: %1</translation>
    </message>
    <message>
        <source>The passphrase for %1 is wrong; the key was not changed.</source>
        <translation>Die Passphrase für %1 ist falsch; der Schlüssel wurde nicht geändert.</translation>
    </message>
    <message>
        <source>ssh-keygen failed (exit %1)</source>
        <translation>ssh-keygen ist fehlgeschlagen (Exit-Code %1)</translation>
    </message>
</context>
<context>
    <name>KeyListModel</name>
    <message>
        <source>Copied</source>
        <translation>Kopiert</translation>
    </message>
    <message>
        <source>In the agent</source>
        <translation>Im Agenten</translation>
    </message>
</context>
<context>
    <name>KeyTypes</name>
    <message>
        <source>ED25519 (recommended)</source>
        <translation>ED25519 (empfohlen)</translation>
    </message>
    <message>
        <source>RSA 4096-bit</source>
        <translation>RSA 4096 Bit</translation>
    </message>
    <message>
        <source>ECDSA 521-bit</source>
        <translation>ECDSA 521 Bit</translation>
    </message>
</context>
<context>
    <name>KnownHostKeysRow</name>
    <message>
        <source>Forget…</source>
        <translation>Vergessen …</translation>
    </message>
    <message>
        <source>Known host keys: %1</source>
        <translation>Bekannte Host-Schlüssel: %1</translation>
    </message>
    <message>
        <source>Entries of known_hosts for %1</source>
        <translation>Einträge in known_hosts für %1</translation>
    </message>
    <message>
        <source>Remove the known_hosts entries for %1</source>
        <translation>Die Einträge in known_hosts für %1 entfernen</translation>
    </message>
    <message>
        <source>Forget known host keys</source>
        <translation>Bekannte Host-Schlüssel vergessen</translation>
    </message>
    <message>
        <source>Remove 1 entry for %1 from known_hosts?</source>
        <translation>1 Eintrag für %1 aus known_hosts entfernen?</translation>
    </message>
    <message>
        <source>Remove %1 entries for %2 from known_hosts?</source>
        <translation>%1 Einträge für %2 aus known_hosts entfernen?</translation>
    </message>
    <message>
        <source>Forget Host Keys?</source>
        <translation>Host-Schlüssel vergessen?</translation>
    </message>
    <message>
        <source>SSH will ask you to verify the host&apos;s key on the next connection.</source>
        <translation>SSH bittet Sie bei der nächsten Verbindung, den Schlüssel des Hosts zu prüfen.</translation>
    </message>
    <message>
        <source>Forget</source>
        <translation>Vergessen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Known host keys: …</source>
        <translation>Bekannte Host-Schlüssel: …</translation>
    </message>
</context>
<context>
    <name>KnownHostsModel</name>
    <message>
        <source>(hashed entry)</source>
        <translation>(gehashter Eintrag)</translation>
    </message>
    <message>
        <source>known_hosts not found</source>
        <translation>known_hosts nicht gefunden</translation>
    </message>
    <message>
        <source>Loaded %1 entry</source>
        <translation>%1 Eintrag geladen</translation>
    </message>
    <message>
        <source>Loaded %1 entries</source>
        <translation>%1 Einträge geladen</translation>
    </message>
    <message>
        <source>Cannot read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Removed %1 entry</source>
        <translation>%1 Eintrag entfernt</translation>
    </message>
    <message>
        <source>Removed %1 entries</source>
        <translation>%1 Einträge entfernt</translation>
    </message>
</context>
<context>
    <name>KnownHostsTableModel</name>
    <message>
        <source>Hostname is hashed for privacy (HashKnownHosts yes)</source>
        <translation>Der Hostname ist zum Schutz der Privatsphäre gehasht (HashKnownHosts yes)</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>Algorithm</source>
        <translation>Algorithmus</translation>
    </message>
    <message>
        <source>@cert-authority: the key signs host certificates for these hosts</source>
        <translation>@cert-authority: Der Schlüssel signiert Host-Zertifikate für diese Hosts</translation>
    </message>
    <message>
        <source>@revoked: ssh refuses this key for these hosts</source>
        <translation>@revoked: ssh lehnt diesen Schlüssel für diese Hosts ab</translation>
    </message>
    <message>
        <source>Hashed entry for %1</source>
        <translation>Gehashter Eintrag für %1</translation>
    </message>
    <message>
        <source>Fingerprint</source>
        <translation>Fingerabdruck</translation>
    </message>
</context>
<context>
    <name>KnownHostsView</name>
    <message>
        <source>Remove Entry</source>
        <translation>Eintrag entfernen</translation>
    </message>
    <message>
        <source>Remove %1 Entries</source>
        <translation>%1 Einträge entfernen</translation>
    </message>
    <message>
        <source>(hashed)</source>
        <translation>(gehasht)</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 und %2 weitere</translation>
    </message>
    <message>
        <source>%1 and %2</source>
        <translation>%1 und %2</translation>
    </message>
    <message>
        <source>Remove %1 entry for %2?</source>
        <translation>%1 Eintrag für %2 entfernen?</translation>
    </message>
    <message>
        <source>Remove %1 entries for %2?</source>
        <translation>%1 Einträge für %2 entfernen?</translation>
    </message>
    <message>
        <source>Known Hosts</source>
        <translation>Bekannte Hosts</translation>
    </message>
    <message>
        <source>Reload from disk</source>
        <translation>Von der Festplatte neu laden</translation>
    </message>
    <message>
        <source>Remove selected entries</source>
        <translation>Ausgewählte Einträge entfernen</translation>
    </message>
    <message>
        <source>SSH stores a fingerprint of each server you connect to. If a host key changes unexpectedly, SSH will warn you of a possible man-in-the-middle attack.</source>
        <translation>SSH speichert einen Fingerabdruck jedes Servers, mit dem Sie sich verbinden. Ändert sich ein Host-Schlüssel unerwartet, warnt SSH Sie vor einem möglichen Man-in-the-Middle-Angriff.</translation>
    </message>
    <message>
        <source>Filter by hostname or algorithm</source>
        <translation>Nach Hostname oder Algorithmus filtern</translation>
    </message>
    <message>
        <source>Clear filter</source>
        <translation>Filter leeren</translation>
    </message>
    <message>
        <source>No known hosts found</source>
        <translation>Keine bekannten Hosts gefunden</translation>
    </message>
    <message>
        <source>Entries are added automatically when you first connect to a new host.</source>
        <translation>Einträge kommen automatisch hinzu, wenn Sie sich zum ersten Mal mit einem neuen Host verbinden.</translation>
    </message>
    <message>
        <source>Known hosts</source>
        <translation>Bekannte Hosts</translation>
    </message>
    <message>
        <source>The host will be removed from known_hosts. SSH will ask you to verify the fingerprint on next connection.</source>
        <translation>Der Host wird aus known_hosts entfernt. SSH bittet Sie bei der nächsten Verbindung, den Fingerabdruck zu prüfen.</translation>
    </message>
    <message>
        <source>The hosts will be removed from known_hosts. SSH will ask you to verify the fingerprint on next connection.</source>
        <translation>Die Hosts werden aus known_hosts entfernt. SSH bittet Sie bei der nächsten Verbindung, den Fingerabdruck zu prüfen.</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>· %1 selected</source>
        <translation>· %1 ausgewählt</translation>
    </message>
</context>
<context>
    <name>KorvelApp</name>
    <message>
        <source>Unsaved Changes</source>
        <translation>Ungespeicherte Änderungen</translation>
    </message>
    <message>
        <source>You have unsaved changes. Save before quitting?</source>
        <translation>Es gibt ungespeicherte Änderungen. Vor dem Beenden speichern?</translation>
    </message>
    <message>
        <source>Save &amp; Quit</source>
        <translation>Speichern &amp; beenden</translation>
    </message>
    <message>
        <source>Discard &amp; Quit</source>
        <translation>Verwerfen &amp; beenden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Korvel</source>
        <translation>Korvel</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>New Host</source>
        <translation>Neuer Host</translation>
    </message>
    <message>
        <source>Add new SSH host (%1)</source>
        <translation>Neuen SSH-Host hinzufügen (%1)</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove selected host</source>
        <translation>Ausgewählten Host entfernen</translation>
    </message>
    <message>
        <source>Duplicate</source>
        <translation>Duplizieren</translation>
    </message>
    <message>
        <source>Duplicate selected host</source>
        <translation>Ausgewählten Host duplizieren</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Neu laden</translation>
    </message>
    <message>
        <source>Reload from disk (%1)</source>
        <translation>Von der Festplatte neu laden (%1)</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save to ~/.ssh/config (%1)</source>
        <translation>In ~/.ssh/config speichern (%1)</translation>
    </message>
    <message>
        <source>About Korvel</source>
        <translation>Über Korvel</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <source>Open a terminal running ssh to the selected host (%1)</source>
        <translation>Ein Terminal mit ssh zum ausgewählten Host öffnen (%1)</translation>
    </message>
</context>
<context>
    <name>NameEntrySheet</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>OptionCatalogue</name>
    <message>
        <source>Connection</source>
        <translation>Verbindung</translation>
    </message>
    <message>
        <source>Authentication</source>
        <translation>Authentifizierung</translation>
    </message>
    <message>
        <source>Forwarding &amp; Tunneling</source>
        <translation>Weiterleitung &amp; Tunnel</translation>
    </message>
    <message>
        <source>Multiplexing</source>
        <translation>Multiplexing</translation>
    </message>
    <message>
        <source>Keep-Alive</source>
        <translation>Keep-Alive</translation>
    </message>
    <message>
        <source>Security</source>
        <translation>Sicherheit</translation>
    </message>
    <message>
        <source>Misc</source>
        <translation>Sonstiges</translation>
    </message>
    <message>
        <source>The real hostname or IP address to connect to. Use this when the Host alias is a short nickname. Example: set Host to &quot;prod&quot; and HostName to &quot;192.168.1.10&quot;.</source>
        <translation>Der echte Hostname oder die IP-Adresse, mit der verbunden wird. Nützlich, wenn der Host-Alias ein kurzer Spitzname ist. Beispiel: Host auf „prod“ und HostName auf „192.168.1.10“ setzen.</translation>
    </message>
    <message>
        <source>The username to log in as on the remote host. Saves typing &quot;username@host&quot; every time. Example: &quot;ubuntu&quot;, &quot;root&quot;, or your work username.</source>
        <translation>Der Benutzername, mit dem Sie sich auf dem entfernten Host anmelden. Erspart es, jedes Mal „benutzer@host“ einzugeben. Beispiel: „ubuntu“, „root“ oder Ihr Benutzername bei der Arbeit.</translation>
    </message>
    <message>
        <source>The TCP port to connect to on the remote host. Default is 22. Change this if the SSH daemon runs on a non-standard port. Example: &quot;2222&quot;.</source>
        <translation>Der TCP-Port, mit dem auf dem entfernten Host verbunden wird. Vorgabe ist 22. Ändern Sie ihn, wenn der SSH-Dienst auf einem anderen Port läuft. Beispiel: „2222“.</translation>
    </message>
    <message>
        <source>Seconds to wait when establishing a connection before giving up. Useful on slow or unreliable networks. Default is the system TCP timeout (often 120s). Example: &quot;10&quot; to fail fast.</source>
        <translation>Wie viele Sekunden beim Verbindungsaufbau gewartet wird, bevor aufgegeben wird. Nützlich in langsamen oder unzuverlässigen Netzen. Vorgabe ist die TCP-Zeitüberschreitung des Systems (oft 120 s). Beispiel: „10“, um schnell abzubrechen.</translation>
    </message>
    <message>
        <source>Which IP address family to use when connecting. &quot;inet&quot; forces IPv4, &quot;inet6&quot; forces IPv6, &quot;any&quot; (default) tries both.</source>
        <translation>Welche IP-Adressfamilie beim Verbinden verwendet wird. „inet“ erzwingt IPv4, „inet6“ erzwingt IPv6, „any“ (Vorgabe) versucht beide.</translation>
    </message>
    <message>
        <source>Path to the private key file used for public-key authentication. Supports ~ for home directory. Example: &quot;~/.ssh/id_ed25519&quot;. You can add multiple IdentityFile lines for fallback keys.</source>
        <translation>Pfad zur privaten Schlüsseldatei für die Anmeldung mit öffentlichem Schlüssel. ~ steht für den persönlichen Ordner. Beispiel: „~/.ssh/id_ed25519“. Für Ersatzschlüssel können Sie mehrere IdentityFile-Zeilen anlegen.</translation>
    </message>
    <message>
        <source>Path to the SSH agent socket, or &quot;none&quot; to disable agent forwarding for this host. Usually you don&apos;t need to set this — the agent is picked up automatically from SSH_AUTH_SOCK.</source>
        <translation>Pfad zum Socket des SSH-Agenten oder „none“, um den Agenten für diesen Host abzuschalten. Meist müssen Sie das nicht setzen — der Agent wird automatisch über SSH_AUTH_SOCK gefunden.</translation>
    </message>
    <message>
        <source>Whether to automatically add the private key to the running SSH agent on first use. &quot;yes&quot; adds silently, &quot;ask&quot; prompts, &quot;confirm&quot; prompts on each use. With a passphrase-protected key you type the passphrase once per session: ssh-agent keeps the key, and the desktop&apos;s keyring unlocks it at login where one runs.</source>
        <translation>Ob der private Schlüssel bei der ersten Verwendung automatisch zum laufenden SSH-Agenten hinzugefügt wird. „yes“ fügt ihn ohne Rückfrage hinzu, „ask“ fragt nach, „confirm“ fragt bei jeder Verwendung. Bei einem Schlüssel mit Passphrase geben Sie diese einmal pro Sitzung ein: ssh-agent behält den Schlüssel, und wo ein Schlüsselbund der Arbeitsumgebung läuft, entsperrt dieser ihn bei der Anmeldung.</translation>
    </message>
    <message>
        <source>When &quot;yes&quot;, only the keys explicitly listed with IdentityFile are offered — the SSH agent and default key files are ignored. Useful when the server has a strict limit on authentication attempts.</source>
        <translation>Bei „yes“ werden nur die ausdrücklich mit IdentityFile angegebenen Schlüssel angeboten — der SSH-Agent und die Standardschlüsseldateien werden ignoriert. Nützlich, wenn der Server nur wenige Anmeldeversuche zulässt.</translation>
    </message>
    <message>
        <source>Whether to attempt public-key authentication. Default is &quot;yes&quot;. Set to &quot;no&quot; to force password or other methods (rarely needed).</source>
        <translation>Ob die Anmeldung mit öffentlichem Schlüssel versucht wird. Vorgabe ist „yes“. Mit „no“ erzwingen Sie Passwort oder andere Verfahren (selten nötig).</translation>
    </message>
    <message>
        <source>Whether to attempt password authentication if public-key fails. Default is &quot;yes&quot;. Set to &quot;no&quot; on hardened servers that allow keys only — prevents being prompted for a password.</source>
        <translation>Ob die Anmeldung mit Passwort versucht wird, wenn die mit öffentlichem Schlüssel scheitert. Vorgabe ist „yes“. Setzen Sie „no“ bei gehärteten Servern, die nur Schlüssel zulassen — dann wird nicht nach einem Passwort gefragt.</translation>
    </message>
    <message>
        <source>Comma-separated list of authentication methods to try, in order. &quot;publickey&quot; is fastest and most secure. Example: &quot;publickey,keyboard-interactive&quot; to skip password prompts.</source>
        <translation>Kommagetrennte Liste der Anmeldeverfahren, die der Reihe nach versucht werden. „publickey“ ist am schnellsten und sichersten. Beispiel: „publickey,keyboard-interactive“, um Passwortabfragen zu überspringen.</translation>
    </message>
    <message>
        <source>Whether to try keyboard-interactive authentication (e.g. OTP, MFA prompts). Default is &quot;yes&quot;. Disable if the server has no interactive auth to avoid delays.</source>
        <translation>Ob die tastaturinteraktive Anmeldung versucht wird (z. B. Einmalpasswort- oder MFA-Abfragen). Vorgabe ist „yes“. Schalten Sie sie ab, wenn der Server keine interaktive Anmeldung hat, um Verzögerungen zu vermeiden.</translation>
    </message>
    <message>
        <source>How many times to prompt for a password before giving up. Default is 3. Set to &quot;1&quot; on scripts to avoid repeated prompting.</source>
        <translation>Wie oft nach dem Passwort gefragt wird, bevor aufgegeben wird. Vorgabe ist 3. Setzen Sie in Skripten „1“, um wiederholte Abfragen zu vermeiden.</translation>
    </message>
    <message>
        <source>Forwards your local SSH agent to the remote host so you can SSH onward (agent hopping) without copying private keys. Only enable for trusted servers — a compromised server can misuse your agent.</source>
        <translation>Leitet Ihren lokalen SSH-Agenten an den entfernten Host weiter, sodass Sie sich von dort per SSH weiterverbinden können, ohne private Schlüssel zu kopieren. Nur für vertrauenswürdige Server einschalten — ein kompromittierter Server kann Ihren Agenten missbrauchen.</translation>
    </message>
    <message>
        <source>Enables X11 display forwarding so GUI apps on the remote machine appear locally. Requires an X11 server on macOS (e.g. XQuartz). Use ForwardX11Trusted yes if apps need untrusted extensions.</source>
        <translation>Schaltet die X11-Weiterleitung ein, sodass grafische Programme des entfernten Rechners lokal erscheinen. Unter macOS ist ein X11-Server nötig (z. B. XQuartz). Verwenden Sie ForwardX11Trusted yes, wenn Programme nicht vertrauenswürdige Erweiterungen brauchen.</translation>
    </message>
    <message>
        <source>When &quot;yes&quot;, gives the remote X11 client full access to your local X11 display (less sandboxed). Required by some older GUI applications. Prefer &quot;no&quot; (default) unless you hit display issues.</source>
        <translation>Bei „yes“ erhält der entfernte X11-Client vollen Zugriff auf Ihre lokale X11-Anzeige (weniger abgeschottet). Manche ältere grafische Programme brauchen das. Bleiben Sie bei „no“ (Vorgabe), solange keine Anzeigeprobleme auftreten.</translation>
    </message>
    <message>
        <source>One or more jump hosts to hop through before reaching the destination, separated by commas. Example: &quot;bastion.example.com&quot; or &quot;user@jump1,user@jump2&quot;. Replaces the older ProxyCommand approach with a cleaner syntax.</source>
        <translation>Ein oder mehrere Sprung-Hosts, über die das Ziel erreicht wird, durch Kommas getrennt. Beispiel: „bastion.example.com“ oder „user@jump1,user@jump2“. Ersetzt den älteren Weg über ProxyCommand durch eine übersichtlichere Schreibweise.</translation>
    </message>
    <message>
        <source>A command to run to establish the connection instead of a direct TCP connection. Example: &quot;ssh -W %h:%p bastion.example.com&quot;. ProxyJump is usually simpler — use ProxyCommand for advanced cases.</source>
        <translation>Ein Befehl, der die Verbindung statt einer direkten TCP-Verbindung herstellt. Beispiel: „ssh -W %h:%p bastion.example.com“. ProxyJump ist meist einfacher — ProxyCommand ist für Sonderfälle gedacht.</translation>
    </message>
    <message>
        <source>Forward a local port to a remote host:port over the SSH tunnel. Format: &quot;LOCAL_PORT REMOTE_HOST:REMOTE_PORT&quot;. Example: &quot;5432 localhost:5432&quot; to tunnel a remote Postgres to local port 5432.</source>
        <translation>Leitet einen lokalen Port durch den SSH-Tunnel an Host:Port auf der Gegenseite weiter. Format: „LOKALER_PORT ENTFERNTER_HOST:ENTFERNTER_PORT“. Beispiel: „5432 localhost:5432“, um ein entferntes Postgres auf den lokalen Port 5432 zu holen.</translation>
    </message>
    <message>
        <source>Forward a port on the remote host to a local host:port. Format: &quot;REMOTE_PORT LOCAL_HOST:LOCAL_PORT&quot;. Example: &quot;8080 localhost:3000&quot; to expose your local dev server on the remote machine.</source>
        <translation>Leitet einen Port des entfernten Hosts an einen lokalen Host:Port weiter. Format: „ENTFERNTER_PORT LOKALER_HOST:LOKALER_PORT“. Beispiel: „8080 localhost:3000“, um Ihren lokalen Entwicklungsserver auf dem entfernten Rechner erreichbar zu machen.</translation>
    </message>
    <message>
        <source>Creates a local SOCKS5 proxy that tunnels all traffic through the SSH connection. Format: &quot;LOCAL_PORT&quot;. Example: &quot;1080&quot; — configure your browser to use SOCKS5 proxy at localhost:1080.</source>
        <translation>Richtet einen lokalen SOCKS5-Proxy ein, der den gesamten Verkehr durch die SSH-Verbindung leitet. Format: „LOKALER_PORT“. Beispiel: „1080“ — stellen Sie dann im Browser den SOCKS5-Proxy localhost:1080 ein.</translation>
    </message>
    <message>
        <source>Enables SSH connection multiplexing — subsequent connections to the same host reuse an existing connection, making them instant. &quot;auto&quot; creates a master if none exists; &quot;autoask&quot; prompts first.</source>
        <translation>Schaltet das Multiplexing von SSH-Verbindungen ein — weitere Verbindungen zum selben Host nutzen eine bestehende Verbindung mit und stehen sofort. „auto“ legt eine Master-Verbindung an, wenn keine besteht; „autoask“ fragt vorher nach.</translation>
    </message>
    <message>
        <source>Path to the socket file used for connection multiplexing (ControlMaster). Example: &quot;~/.ssh/ctrl/%r@%h:%p&quot;. The directory must exist before use.</source>
        <translation>Pfad zur Socket-Datei für das Multiplexing von Verbindungen (ControlMaster). Beispiel: „~/.ssh/ctrl/%r@%h:%p“. Der Ordner muss vorher vorhanden sein.</translation>
    </message>
    <message>
        <source>How long the master connection stays open after the last client disconnects. &quot;yes&quot; keeps it open indefinitely; a number like &quot;10m&quot; keeps it for 10 minutes. Combine with ControlMaster auto for fast repeated connections.</source>
        <translation>Wie lange die Master-Verbindung offen bleibt, nachdem sich der letzte Client getrennt hat. „yes“ hält sie unbegrenzt offen; eine Angabe wie „10m“ hält sie 10 Minuten. Zusammen mit ControlMaster auto gehen wiederholte Verbindungen schnell.</translation>
    </message>
    <message>
        <source>Seconds between keepalive packets sent to the server when no data has been received. Prevents idle connections from being dropped by firewalls or NAT. Example: &quot;60&quot; sends a ping every minute.</source>
        <translation>Sekunden zwischen Keep-Alive-Paketen an den Server, wenn keine Daten empfangen wurden. Verhindert, dass Firewalls oder NAT ruhende Verbindungen trennen. Beispiel: „60“ sendet jede Minute ein Lebenszeichen.</translation>
    </message>
    <message>
        <source>How many keepalive messages to send without a response before disconnecting. Works together with ServerAliveInterval. Example: &quot;3&quot; disconnects after 3 missed pings (combined: 3 minutes of silence).</source>
        <translation>Wie viele Keep-Alive-Nachrichten ohne Antwort bleiben dürfen, bevor die Verbindung getrennt wird. Wirkt zusammen mit ServerAliveInterval. Beispiel: „3“ trennt nach 3 unbeantworteten Lebenszeichen (zusammen: 3 Minuten Stille).</translation>
    </message>
    <message>
        <source>Whether the OS-level TCP keepalive is used to detect dead connections. Default is &quot;yes&quot;. Less reliable than ServerAliveInterval for detecting NAT drops, but has no overhead.</source>
        <translation>Ob das TCP-Keep-Alive des Betriebssystems tote Verbindungen erkennen soll. Vorgabe ist „yes“. Erkennt von NAT getrennte Verbindungen weniger zuverlässig als ServerAliveInterval, kostet aber nichts.</translation>
    </message>
    <message>
        <source>Controls what happens when the server&apos;s host key is unknown or has changed. &quot;accept-new&quot; silently accepts new keys but rejects changed ones (safest for automation). &quot;yes&quot; rejects unknown keys. &quot;no&quot; accepts all (dangerous). &quot;ask&quot; prompts (default).</source>
        <translation>Legt fest, was geschieht, wenn der Host-Schlüssel des Servers unbekannt ist oder sich geändert hat. „accept-new“ nimmt neue Schlüssel ohne Rückfrage an, lehnt geänderte aber ab (am sichersten für Automatisierung). „yes“ lehnt unbekannte Schlüssel ab. „no“ nimmt alle an (gefährlich). „ask“ fragt nach (Vorgabe).</translation>
    </message>
    <message>
        <source>Path to the known_hosts file where server fingerprints are stored. Default: &quot;~/.ssh/known_hosts&quot;. Set to &quot;/dev/null&quot; to disable host key checking entirely (insecure, dev only).</source>
        <translation>Pfad zur known_hosts-Datei, in der die Fingerabdrücke der Server stehen. Vorgabe: „~/.ssh/known_hosts“. Mit „/dev/null“ wird die Prüfung der Host-Schlüssel ganz abgeschaltet (unsicher, nur für die Entwicklung).</translation>
    </message>
    <message>
        <source>Whether to compress data during transfer. Helps on slow connections but adds CPU overhead on fast ones. Default is &quot;no&quot;. Enable with &quot;yes&quot; for slow links or large file transfers.</source>
        <translation>Ob Daten bei der Übertragung komprimiert werden. Hilft bei langsamen Verbindungen, kostet bei schnellen aber Rechenzeit. Vorgabe ist „no“. Mit „yes“ für langsame Leitungen oder große Dateiübertragungen einschalten.</translation>
    </message>
    <message>
        <source>Comma-separated list of encryption ciphers in preference order. Leave blank to use the secure defaults. Example to prefer ChaCha20: &quot;chacha20-poly1305@openssh.com,aes256-gcm@openssh.com&quot;.</source>
        <translation>Kommagetrennte Liste der Verschlüsselungsverfahren in der gewünschten Reihenfolge. Leer lassen, um die sicheren Vorgaben zu verwenden. Beispiel, um ChaCha20 vorzuziehen: „chacha20-poly1305@openssh.com,aes256-gcm@openssh.com“.</translation>
    </message>
    <message>
        <source>Message Authentication Code algorithms for data integrity verification. Leave blank for secure defaults. Only change if connecting to legacy systems that require specific MACs.</source>
        <translation>Algorithmen für Nachrichtenauthentifizierungscodes (MACs), die die Unversehrtheit der Daten prüfen. Leer lassen für die sicheren Vorgaben. Nur ändern, wenn Sie sich mit Altsystemen verbinden, die bestimmte MACs verlangen.</translation>
    </message>
    <message>
        <source>Which host key types to accept from the server, in preference order. Leave blank for secure defaults. Example: &quot;ssh-ed25519,rsa-sha2-512&quot; to prefer Ed25519 over RSA.</source>
        <translation>Welche Arten von Host-Schlüsseln vom Server angenommen werden, in der gewünschten Reihenfolge. Leer lassen für die sicheren Vorgaben. Beispiel: „ssh-ed25519,rsa-sha2-512“, um Ed25519 vor RSA zu bevorzugen.</translation>
    </message>
    <message>
        <source>Key exchange algorithms used to establish the session encryption key. Leave blank for secure defaults. Only override when connecting to servers that don&apos;t support modern algorithms.</source>
        <translation>Schlüsselaustauschverfahren, mit denen der Sitzungsschlüssel vereinbart wird. Leer lassen für die sicheren Vorgaben. Nur ändern, wenn Sie sich mit Servern verbinden, die keine modernen Verfahren beherrschen.</translation>
    </message>
    <message>
        <source>Algorithms accepted for public-key authentication, in preference order. Leave blank for secure defaults. Example: &quot;ssh-ed25519,rsa-sha2-256&quot; to prioritize Ed25519.</source>
        <translation>Algorithmen, die für die Anmeldung mit öffentlichem Schlüssel zugelassen sind, in der gewünschten Reihenfolge. Leer lassen für die sicheren Vorgaben. Beispiel: „ssh-ed25519,rsa-sha2-256“, um Ed25519 vorzuziehen.</translation>
    </message>
    <message>
        <source>Verbosity of SSH client log messages. &quot;INFO&quot; (default) logs connections. &quot;DEBUG&quot; / &quot;DEBUG2&quot; / &quot;DEBUG3&quot; add increasing detail useful for troubleshooting authentication or connection issues. &quot;QUIET&quot; suppresses all but critical errors.</source>
        <translation>Ausführlichkeit der Protokollmeldungen des SSH-Clients. „INFO“ (Vorgabe) protokolliert Verbindungen. „DEBUG“ / „DEBUG2“ / „DEBUG3“ liefern zunehmend mehr Einzelheiten, hilfreich bei Anmelde- oder Verbindungsproblemen. „QUIET“ unterdrückt alles außer kritischen Fehlern.</translation>
    </message>
    <message>
        <source>When &quot;yes&quot;, disables all interactive prompts — passwords, confirmations, host key questions. Use in scripts and automation where there&apos;s no terminal. The connection fails instead of prompting.</source>
        <translation>Bei „yes“ werden alle Rückfragen abgeschaltet — Passwörter, Bestätigungen, Fragen zu Host-Schlüsseln. Für Skripte und Automatisierung ohne Terminal. Die Verbindung scheitert, statt nachzufragen.</translation>
    </message>
    <message>
        <source>Whether to request a pseudo-terminal (TTY) for the session. &quot;auto&quot; (default) allocates a TTY when running interactively. &quot;force&quot; always allocates one — useful for running sudo over SSH. &quot;no&quot; never allocates a TTY.</source>
        <translation>Ob für die Sitzung ein Pseudoterminal (TTY) angefordert wird. „auto“ (Vorgabe) fordert bei interaktiver Nutzung ein TTY an. „force“ fordert immer eines an — nützlich, um sudo über SSH auszuführen. „no“ fordert nie ein TTY an.</translation>
    </message>
    <message>
        <source>When &quot;yes&quot;, displays a visual ASCII-art fingerprint of the host key on connection. Makes it easier to spot if a host key has changed unexpectedly. Fun and slightly useful — default is &quot;no&quot;.</source>
        <translation>Bei „yes“ wird beim Verbinden ein Fingerabdruck des Host-Schlüssels als ASCII-Grafik angezeigt. So fällt leichter auf, wenn sich ein Host-Schlüssel unerwartet geändert hat. Nett und ein wenig nützlich — Vorgabe ist „no“.</translation>
    </message>
    <message>
        <source>The escape character used to control the SSH session (default &quot;~&quot;). &quot;~.&quot; disconnects, &quot;~^Z&quot; suspends, &quot;~#&quot; lists forwarded connections. Set to &quot;none&quot; to disable escape sequences.</source>
        <translation>Das Escape-Zeichen, mit dem die SSH-Sitzung gesteuert wird (Vorgabe „~“). „~.“ trennt die Verbindung, „~^Z“ hält sie an, „~#“ listet weitergeleitete Verbindungen auf. Mit „none“ werden Escape-Folgen abgeschaltet.</translation>
    </message>
    <message>
        <source>Environment variables to set on the remote machine, as NAME=value pairs. The server&apos;s AcceptEnv must allow the variable. Example: &quot;MY_VAR=hello&quot;.</source>
        <translation>Umgebungsvariablen, die auf dem entfernten Rechner gesetzt werden, als Paare NAME=Wert. AcceptEnv auf dem Server muss die Variable zulassen. Beispiel: „MY_VAR=hallo“.</translation>
    </message>
    <message>
        <source>Local environment variables to send to the remote session. The server must accept them via AcceptEnv in sshd_config. Example: &quot;LANG LC_*&quot; sends locale settings (common default on macOS).</source>
        <translation>Lokale Umgebungsvariablen, die an die entfernte Sitzung geschickt werden. Der Server muss sie über AcceptEnv in sshd_config annehmen. Beispiel: „LANG LC_*“ schickt die Spracheinstellungen (unter macOS häufig vorgegeben).</translation>
    </message>
    <message>
        <source>When &quot;yes&quot;, enables the LocalCommand option below. Must be &quot;yes&quot; for LocalCommand to have any effect.</source>
        <translation>Bei „yes“ wird die Option LocalCommand darunter wirksam. Muss „yes“ sein, damit LocalCommand überhaupt etwas bewirkt.</translation>
    </message>
    <message>
        <source>A local shell command to run after a successful connection. PermitLocalCommand must be &quot;yes&quot;. Example: &quot;echo Connected to %h&quot; to log connections.</source>
        <translation>Ein lokaler Shell-Befehl, der nach erfolgreichem Verbindungsaufbau ausgeführt wird. PermitLocalCommand muss „yes“ sein. Beispiel: „echo Verbunden mit %h“, um Verbindungen zu protokollieren.</translation>
    </message>
</context>
<context>
    <name>ProcessRunner</name>
    <message>
        <source>Cannot run %1: %2</source>
        <extracomment>%2, the system&apos;s reason, stays at the end: the privileged runner reads it from there.</extracomment>
        <translation>%1 kann nicht ausgeführt werden: %2</translation>
    </message>
    <message>
        <source>%1 stopped unexpectedly</source>
        <translation>%1 wurde unerwartet beendet</translation>
    </message>
    <message>
        <source>%1 did not finish within 1 second</source>
        <translation>%1 ist nicht innerhalb von 1 Sekunde fertig geworden</translation>
    </message>
    <message>
        <source>%1 did not finish within %2 seconds</source>
        <translation>%1 ist nicht innerhalb von %2 Sekunden fertig geworden</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
</context>
<context>
    <name>PublicKeySheet</name>
    <message>
        <source>Public Key</source>
        <translation>Öffentlicher Schlüssel</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>This is your public key — safe to share with servers and services like GitHub. Never share the private key.</source>
        <translation>Dies ist Ihr öffentlicher Schlüssel — Sie können ihn bedenkenlos an Server und Dienste wie GitHub weitergeben. Geben Sie niemals den privaten Schlüssel weiter.</translation>
    </message>
    <message>
        <source>Copied!</source>
        <translation>Kopiert!</translation>
    </message>
    <message>
        <source>Copy to Clipboard</source>
        <translation>In die Zwischenablage kopieren</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>QuenbyLogo</name>
    <message>
        <source>SSH, IN PLAIN SIGHT</source>
        <translation>SSH, KLAR IM BLICK</translation>
    </message>
</context>
<context>
    <name>ResolveCommand</name>
    <message>
        <source>Korvel edits your OpenSSH client configuration. Without options it opens its window.</source>
        <translation>Korvel bearbeitet Ihre OpenSSH-Client-Konfiguration. Ohne Optionen öffnet es sein Fenster.</translation>
    </message>
    <message>
        <source>Prints what ssh takes from the configuration for &lt;destination&gt;, one line per keyword with the file and line that sets it.</source>
        <translation>Gibt aus, was ssh für &lt;destination&gt; aus der Konfiguration nimmt, eine Zeile je Schlüsselwort mit der Datei und Zeile, die es setzt.</translation>
    </message>
    <message>
        <source>destination</source>
        <translation>destination</translation>
    </message>
    <message>
        <source>Reads &lt;config&gt; instead of ~/.ssh/config (with --resolve).</source>
        <translation>Liest &lt;config&gt; statt ~/.ssh/config (mit --resolve).</translation>
    </message>
    <message>
        <source>config</source>
        <translation>config</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Unerwartetes Argument: %1</translation>
    </message>
    <message>
        <source>--resolve needs a destination such as host or user@host</source>
        <translation>--resolve braucht ein Ziel wie host oder benutzer@host</translation>
    </message>
    <message>
        <source>Cannot read %1: it is a folder</source>
        <translation>%1 kann nicht gelesen werden: Es ist ein Ordner</translation>
    </message>
    <message>
        <source>Cannot read %1: no such file</source>
        <translation>%1 kann nicht gelesen werden: Datei nicht vorhanden</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Not read: %1</source>
        <translation>Nicht gelesen: %1</translation>
    </message>
    <message>
        <source>Not run, may change the result: Match exec %1</source>
        <translation>Nicht ausgeführt, kann das Ergebnis ändern: Match exec %1</translation>
    </message>
    <message>
        <source>Keywords it could set: %1</source>
        <translation>Schlüsselwörter, die es setzen könnte: %1</translation>
    </message>
</context>
<context>
    <name>ResolvedOptionsModel</name>
    <message>
        <source>Option</source>
        <translation>Option</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Herkunft</translation>
    </message>
</context>
<context>
    <name>ResolvedView</name>
    <message>
        <source>Example name:</source>
        <translation>Beispielname:</translation>
    </message>
    <message>
        <source>a host name this pattern matches</source>
        <translation>ein Hostname, auf den dieses Muster passt</translation>
    </message>
    <message>
        <source>What ssh uses</source>
        <translation>Was ssh verwendet</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alles auswählen</translation>
    </message>
    <message>
        <source>Type a name that %1 matches to see what ssh uses for it.</source>
        <translation>Geben Sie einen Namen ein, auf den %1 passt, um zu sehen, was ssh dafür verwendet.</translation>
    </message>
    <message>
        <source>%1 does not match this host&apos;s pattern, so none of its lines apply.</source>
        <translation>%1 passt nicht auf das Muster dieses Hosts, daher gilt keine seiner Zeilen.</translation>
    </message>
    <message>
        <source>OpenSSH default</source>
        <translation>OpenSSH-Vorgabe</translation>
    </message>
    <message>
        <source>Some sections apply only when a Match exec command succeeds: %1. Korvel does not run it.</source>
        <translation>Manche Abschnitte gelten nur, wenn ein Match-exec-Befehl gelingt: %1. Korvel führt ihn nicht aus.</translation>
    </message>
    <message>
        <source>These values could differ: %1.</source>
        <translation>Diese Werte könnten abweichen: %1.</translation>
    </message>
    <message>
        <source>this host — overridden by %1</source>
        <translation>dieser Host — überschrieben von %1</translation>
    </message>
</context>
<context>
    <name>SSHAgent</name>
    <message>
        <source>Cannot prepare the passphrase helper.</source>
        <translation>Das Hilfsprogramm für die Passphrase kann nicht vorbereitet werden.</translation>
    </message>
    <message>
        <source>The passphrase for %1 is wrong; the key was not added to the agent.</source>
        <translation>Die Passphrase für %1 ist falsch; der Schlüssel wurde nicht zum Agenten hinzugefügt.</translation>
    </message>
    <message>
        <source>Added to the agent: %1</source>
        <translation>Zum Agenten hinzugefügt: %1</translation>
    </message>
    <message>
        <source>Removed from the agent: %1</source>
        <translation>Aus dem Agenten entfernt: %1</translation>
    </message>
    <message>
        <source>%1 failed (exit %2)</source>
        <translation>%1 ist fehlgeschlagen (Exit-Code %2)</translation>
    </message>
</context>
<context>
    <name>SSHConfigModel</name>
    <message>
        <source>It is not a regular file.</source>
        <translation>Es ist keine reguläre Datei.</translation>
    </message>
    <message>
        <source>The file is not valid UTF-8 text.</source>
        <translation>Die Datei ist kein gültiger UTF-8-Text.</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Loaded %1 host</source>
        <translation>%1 Host geladen</translation>
    </message>
    <message>
        <source>Loaded %1 hosts</source>
        <translation>%1 Hosts geladen</translation>
    </message>
    <message>
        <source>Failed to save %1: %2</source>
        <translation>%1 konnte nicht gespeichert werden: %2</translation>
    </message>
    <message>
        <source>The file could not be read, so saving would replace what it holds. Reload it first.</source>
        <translation>Die Datei konnte nicht gelesen werden, daher würde Speichern ihren Inhalt ersetzen. Laden Sie sie zuerst neu.</translation>
    </message>
    <message>
        <source>Saved — backup created in ~/.ssh/</source>
        <translation>Gespeichert — Sicherung in ~/.ssh/ angelegt</translation>
    </message>
    <message>
        <source> (line %1)</source>
        <translation> (Zeile %1)</translation>
    </message>
    <message>
        <source> (%1, line %2)</source>
        <translation> (%1, Zeile %2)</translation>
    </message>
    <message>
        <source>The file as it was before is kept as %1.</source>
        <translation>Der vorherige Stand der Datei ist als %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>ssh does not accept the saved file: %1%2.</source>
        <translation>ssh akzeptiert die gespeicherte Datei nicht: %1%2.</translation>
    </message>
    <message>
        <source>Added: %1</source>
        <translation>Hinzugefügt: %1</translation>
    </message>
    <message>
        <source>Removed: %1</source>
        <translation>Entfernt: %1</translation>
    </message>
    <message>
        <source>Duplicated: %1</source>
        <translation>Dupliziert: %1</translation>
    </message>
</context>
<context>
    <name>SSHKeysModel</name>
    <message>
        <source>Cannot back up %1: %2</source>
        <translation>%1 kann nicht gesichert werden: %2</translation>
    </message>
    <message>
        <source>Cannot read ~/.ssh/</source>
        <translation>~/.ssh/ kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Unable to read fingerprint</source>
        <translation>Fingerabdruck kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>Found %1 key pair</source>
        <translation>%1 Schlüsselpaar gefunden</translation>
    </message>
    <message>
        <source>Found %1 key pairs</source>
        <translation>%1 Schlüsselpaare gefunden</translation>
    </message>
    <message>
        <source>Cannot delete %1: %2</source>
        <translation>%1 kann nicht gelöscht werden: %2</translation>
    </message>
    <message>
        <source>Deleted: %1</source>
        <translation>Gelöscht: %1</translation>
    </message>
    <message>
        <source>Public key copied to clipboard</source>
        <translation>Öffentlicher Schlüssel in die Zwischenablage kopiert</translation>
    </message>
    <message>
        <source>Cannot prepare the passphrase helper.</source>
        <translation>Das Hilfsprogramm für die Passphrase kann nicht vorbereitet werden.</translation>
    </message>
    <message>
        <source>The new key %1 was saved without its passphrase: the passphrase could not be handed to ssh-keygen.</source>
        <translation>Der neue Schlüssel %1 wurde ohne Passphrase gespeichert: Die Passphrase konnte nicht an ssh-keygen übergeben werden.</translation>
    </message>
    <message>
        <source>Generated: %1</source>
        <translation>Erzeugt: %1</translation>
    </message>
    <message>
        <source>Generated: %1 — the old pair is kept as %2</source>
        <translation>Erzeugt: %1 — das alte Paar ist als %2 aufbewahrt</translation>
    </message>
    <message>
        <source>ssh-keygen failed (exit %1)</source>
        <translation>ssh-keygen ist fehlgeschlagen (Exit-Code %1)</translation>
    </message>
</context>
<context>
    <name>SSHKeysView</name>
    <message>
        <source>SSH Keys</source>
        <translation>SSH-Schlüssel</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Generate new key pair</source>
        <translation>Neues Schlüsselpaar erzeugen</translation>
    </message>
    <message>
        <source>Key pairs</source>
        <translation>Schlüsselpaare</translation>
    </message>
    <message>
        <source>Select a key pair to view details</source>
        <translation>Wählen Sie ein Schlüsselpaar aus, um die Details zu sehen</translation>
    </message>
    <message>
        <source>Generate New Key Pair</source>
        <translation>Neues Schlüsselpaar erzeugen</translation>
    </message>
    <message>
        <source>Delete Key Pair?</source>
        <translation>Schlüsselpaar löschen?</translation>
    </message>
    <message>
        <source>Permanently delete %1 and %1.pub? This cannot be undone.</source>
        <translation>%1 und %1.pub endgültig löschen? Dies kann nicht rückgängig gemacht werden.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>These hosts in the config use it: %1</source>
        <translation>Diese Hosts der Konfiguration verwenden ihn: %1</translation>
    </message>
    <message>
        <source>Change Passphrase</source>
        <translation>Passphrase ändern</translation>
    </message>
    <message>
        <source>Leave the current passphrase empty if %1 has none, and the new one empty to remove it.</source>
        <translation>Lassen Sie die aktuelle Passphrase leer, wenn %1 keine hat, und die neue leer, um sie zu entfernen.</translation>
    </message>
    <message>
        <source>Current passphrase</source>
        <translation>Aktuelle Passphrase</translation>
    </message>
    <message>
        <source>New passphrase</source>
        <translation>Neue Passphrase</translation>
    </message>
    <message>
        <source>Confirm new passphrase</source>
        <translation>Neue Passphrase bestätigen</translation>
    </message>
    <message>
        <source>Change Comment</source>
        <translation>Kommentar ändern</translation>
    </message>
    <message>
        <source>The comment is stored in %1 and %1.pub. A key with a passphrase needs it to be rewritten.</source>
        <translation>Der Kommentar steht in %1 und %1.pub. Bei einem Schlüssel mit Passphrase wird sie zum Umschreiben gebraucht.</translation>
    </message>
    <message>
        <source>Comment</source>
        <translation>Kommentar</translation>
    </message>
    <message>
        <source>Passphrase, if any</source>
        <translation>Passphrase, falls vorhanden</translation>
    </message>
    <message>
        <source>Add to Agent</source>
        <translation>Zum Agenten hinzufügen</translation>
    </message>
    <message>
        <source>%1 is protected by a passphrase.</source>
        <translation>%1 ist durch eine Passphrase geschützt.</translation>
    </message>
    <message>
        <source>Passphrase</source>
        <translation>Passphrase</translation>
    </message>
    <message>
        <source>No Host to Copy To</source>
        <translation>Kein Host zum Kopieren</translation>
    </message>
    <message>
        <source>The config names no host to copy the key to. Add a host first.</source>
        <translation>Die Konfiguration nennt keinen Host, auf den der Schlüssel kopiert werden kann. Legen Sie zuerst einen Host an.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Copy to Server</source>
        <translation>Auf Server kopieren</translation>
    </message>
    <message>
        <source>ssh-copy-id adds %1.pub to the server&apos;s authorized keys. It runs in a terminal, since the server may ask for a password.</source>
        <translation>ssh-copy-id fügt %1.pub zu den autorisierten Schlüsseln des Servers hinzu. Es läuft in einem Terminal, da der Server nach einem Passwort fragen kann.</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>Cannot Open a Terminal</source>
        <translation>Terminal kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Copying %1.pub to %2 in a terminal</source>
        <translation>%1.pub wird in einem Terminal auf %2 kopiert</translation>
    </message>
</context>
<context>
    <name>SSHParser</name>
    <message>
        <source>The host at position %1 has an empty pattern</source>
        <translation>Der Host an Position %1 hat ein leeres Muster</translation>
    </message>
    <message>
        <source>The pattern of host “%1” holds a line break</source>
        <translation>Das Muster des Hosts „%1“ enthält einen Zeilenumbruch</translation>
    </message>
    <message>
        <source>The option name “%1” of host “%2” holds a line break</source>
        <translation>Der Optionsname „%1“ des Hosts „%2“ enthält einen Zeilenumbruch</translation>
    </message>
    <message>
        <source>The value of %1 for host “%2” holds a line break</source>
        <translation>Der Wert von %1 für den Host „%2“ enthält einen Zeilenumbruch</translation>
    </message>
    <message>
        <source>The option name “%1” of host “%2” cannot be written: it would be read as another line</source>
        <translation>Der Optionsname „%1“ des Hosts „%2“ kann nicht geschrieben werden: Er würde als eine andere Zeile gelesen</translation>
    </message>
</context>
<context>
    <name>SSHResolver</name>
    <message>
        <source>%1: included too deeply (a loop?)</source>
        <translation>%1: zu tief eingebunden (eine Schleife?)</translation>
    </message>
</context>
<context>
    <name>ScriptEditorWindow</name>
    <message>
        <source>Waiting for administrator rights…</source>
        <translation>Warten auf Administratorrechte …</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save and close (%1)</source>
        <translation>Speichern und schließen (%1)</translation>
    </message>
    <message>
        <source>Script text</source>
        <translation>Skripttext</translation>
    </message>
    <message>
        <source>Save in Progress</source>
        <translation>Speichern läuft</translation>
    </message>
    <message>
        <source>A script is still being saved with administrator rights. Quit anyway?</source>
        <translation>Ein Skript wird noch mit Administratorrechten gespeichert. Trotzdem beenden?</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Save the changes to %1 before quitting?</source>
        <translation>Änderungen an %1 vor dem Beenden speichern?</translation>
    </message>
    <message>
        <source>Save the changes to %1 before closing?</source>
        <translation>Änderungen an %1 vor dem Schließen speichern?</translation>
    </message>
    <message>
        <source>Unsaved Changes</source>
        <translation>Ungespeicherte Änderungen</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
    <message>
        <source>A script is still being saved with administrator rights. Close anyway?</source>
        <translation>Ein Skript wird noch mit Administratorrechten gespeichert. Trotzdem schließen?</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>ScriptListModel</name>
    <message>
        <source>Text / Shell Script</source>
        <translation>Text / Shell-Skript</translation>
    </message>
    <message>
        <source>Binary Executable</source>
        <translation>Ausführbare Binärdatei</translation>
    </message>
</context>
<context>
    <name>SidebarDelegate</name>
    <message>
        <source>Unsaved changes</source>
        <translation>Ungespeicherte Änderungen</translation>
    </message>
</context>
<context>
    <name>SidebarModel</name>
    <message>
        <source>HOSTS</source>
        <translation>HOSTS</translation>
    </message>
    <message>
        <source>SECURITY</source>
        <translation>SICHERHEIT</translation>
    </message>
    <message>
        <source>TOOLS</source>
        <translation>WERKZEUGE</translation>
    </message>
    <message>
        <source>HOSTS, Unsaved changes</source>
        <translation>HOSTS, ungespeicherte Änderungen</translation>
    </message>
    <message>
        <source>Known Hosts</source>
        <translation>Bekannte Hosts</translation>
    </message>
    <message>
        <source>SSH Keys</source>
        <translation>SSH-Schlüssel</translation>
    </message>
    <message>
        <source>Local Scripts</source>
        <translation>Lokale Skripte</translation>
    </message>
    <message>
        <source>Hosts included from %1</source>
        <translation>Eingebundene Hosts aus %1</translation>
    </message>
    <message>
        <source>Read-only: defined in %1</source>
        <translation>Schreibgeschützt: definiert in %1</translation>
    </message>
</context>
<context>
    <name>SystemPrivilegedRunner</name>
    <message>
        <source>Failed to launch %1: %2</source>
        <translation>%1 konnte nicht gestartet werden: %2</translation>
    </message>
    <message>
        <source>Elevated command failed (exit %1)</source>
        <translation>Befehl mit Administratorrechten fehlgeschlagen (Exit-Code %1)</translation>
    </message>
</context>
<context>
    <name>TerminalLauncher</name>
    <message>
        <source>No terminal program was found. Set the TERMINAL environment variable to the terminal you use, or install one such as xterm.</source>
        <translation>Es wurde kein Terminalprogramm gefunden. Setzen Sie die Umgebungsvariable TERMINAL auf Ihr Terminal oder installieren Sie eines, etwa xterm.</translation>
    </message>
    <message>
        <source>Could not start %1.</source>
        <translation>%1 konnte nicht gestartet werden.</translation>
    </message>
</context>
</TS>
