<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>AboutDialog</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Версия программы</source>
        <translation>Program version</translation>
    </message>
    <message>
        <source>Дата сборки программы</source>
        <translation>Build date</translation>
    </message>
    <message>
        <source>в</source>
        <translation>at</translation>
    </message>
</context>
<context>
    <name>BackupStore</name>
    <message>
        <source>перед записью настроек</source>
        <translation>before writing settings</translation>
    </message>
    <message>
        <source>перед обновлением прошивки</source>
        <translation>before a firmware update</translation>
    </message>
    <message>
        <source>перед сбросом к заводским настройкам</source>
        <translation>before a factory reset</translation>
    </message>
    <message>
        <source>вручную</source>
        <translation>manual</translation>
    </message>
    <message>
        <source>причина неизвестна</source>
        <translation>reason unknown</translation>
    </message>
    <message>
        <source>не удалось создать папку %1: %2</source>
        <translation>could not create folder %1: %2</translation>
    </message>
    <message>
        <source>не удалось создать %1: %2</source>
        <translation>could not create %1: %2</translation>
    </message>
    <message>
        <source>не удалось записать %1: %2</source>
        <translation>could not write %1: %2</translation>
    </message>
    <message>
        <source>не удалось сохранить %1: %2</source>
        <translation>could not save %1: %2</translation>
    </message>
    <message>
        <source>не удалось удалить старую копию %1: %2</source>
        <translation>could not delete old backup %1: %2</translation>
    </message>
</context>
<context>
    <name>BackupsDialog</name>
    <message>
        <source>Резервные копии</source>
        <translation>Backups</translation>
    </message>
    <message>
        <source>Устройство / время</source>
        <translation>Device / time</translation>
    </message>
    <message>
        <source>Причина</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>Размер</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>%1 (подключено)</source>
        <translation>%1 (connected)</translation>
    </message>
    <message>
        <source>Сравнить с редактором</source>
        <translation>Compare with editor</translation>
    </message>
    <message>
        <source>Загрузить в редактор</source>
        <translation>Load into editor</translation>
    </message>
    <message>
        <source>%1 байт</source>
        <translation>%1 bytes</translation>
    </message>
</context>
<context>
    <name>CliOptions</name>
    <message>
        <source>Эта справка.</source>
        <translation>This help.</translation>
    </message>
    <message>
        <source>Версия программы.</source>
        <translation>Program version.</translation>
    </message>
    <message>
        <source>Терминал на USB (найти по идентификаторам USB).</source>
        <translation>Terminal on USB (found by its USB identifiers).</translation>
    </message>
    <message>
        <source>Терминал на заданном последовательном порту.</source>
        <translation>Terminal on the given serial port.</translation>
    </message>
    <message>
        <source>Сервер-ретранслятор (порт по умолчанию 25501).</source>
        <translation>Relay server (default port 25501).</translation>
    </message>
    <message>
        <source>Идентификатор терминала на сервере; можно повторять или перечислить через запятую.</source>
        <translation>Terminal identifier on the server; may be repeated or given as a comma-separated list.</translation>
    </message>
    <message>
        <source>Все терминалы, подключенные к серверу.</source>
        <translation>All terminals connected to the server.</translation>
    </message>
    <message>
        <source>PIN доступа, 4 цифры (или TRIVOX_PIN).</source>
        <translation>Access PIN, 4 digits (or TRIVOX_PIN).</translation>
    </message>
    <message>
        <source>Группа состояния: system, io, network, all.</source>
        <translation>State group: system, io, network, all.</translation>
    </message>
    <message>
        <source>Входной файл.</source>
        <translation>Input file.</translation>
    </message>
    <message>
        <source>Выходной файл.</source>
        <translation>Output file.</translation>
    </message>
    <message>
        <source>Результат в JSON.</source>
        <translation>Result as JSON.</translation>
    </message>
    <message>
        <source>Продолжать со следующим терминалом после ошибки.</source>
        <translation>Go on with the next terminal after an error.</translation>
    </message>
    <message>
        <source>Подтверждение сброса к заводским настройкам.</source>
        <translation>Confirms the factory reset.</translation>
    </message>
    <message>
        <source>Показывать каждый параметр и фрагмент.</source>
        <translation>Show each parameter and chunk.</translation>
    </message>
    <message>
        <source>Отладочный журнал (на английском).</source>
        <translation>Debug log (in English).</translation>
    </message>
    <message>
        <source>write-settings: дополнить неполный файл настройками терминала.</source>
        <translation>write-settings: fill an incomplete file with the terminal&apos;s settings.</translation>
    </message>
    <message>
        <source>Не сохранять резервную копию перед write-settings, firmware, factory-reset.</source>
        <translation>Do not save a backup before write-settings, firmware, factory-reset.</translation>
    </message>
    <message>
        <source>Папка резервных копий.</source>
        <translation>Backup folder.</translation>
    </message>
    <message>
        <source>Обслуживать до N терминалов одновременно (1-64).</source>
        <translation>Serve up to N terminals at once (1-64).</translation>
    </message>
    <message>
        <source>Журнал выполненных терминалов; повтор пропускает сделанное.</source>
        <translation>Journal of finished terminals; a rerun skips what is done.</translation>
    </message>
    <message>
        <source>Trivox конфигуратор: командная строка для настройки терминалов по USB или через сервер-ретранслятор.</source>
        <translation>Trivox Configurator: command line for configuring terminals over USB or through a relay server.</translation>
    </message>
    <message>
        <source>не указана команда (list, state, read-settings, ...); см. --help</source>
        <translation>no command given (list, state, read-settings, ...); see --help</translation>
    </message>
    <message>
        <source>неизвестная команда: %1</source>
        <translation>unknown command: %1</translation>
    </message>
    <message>
        <source>diff: укажите, что сравнивать: два файла или файл и device</source>
        <translation>diff: say what to compare: two files, or a file and device</translation>
    </message>
    <message>
        <source>лишние аргументы: %1</source>
        <translation>unexpected arguments: %1</translation>
    </message>
    <message>
        <source>пустое имя файла</source>
        <translation>empty file name</translation>
    </message>
    <message>
        <source>diff: терминал можно сравнить с файлом, но не с самим собой</source>
        <translation>diff: a terminal can be compared with a file, but not with itself</translation>
    </message>
    <message>
        <source>%1 работает с файлами и не обращается к терминалу: --usb, --device, --relay, --id и --all не нужны</source>
        <translation>%1 works on files and does not reach a terminal: --usb, --device, --relay, --id and --all are not needed</translation>
    </message>
    <message>
        <source>укажите связь с терминалом: --usb, --device или --relay</source>
        <translation>give the link to the terminal: --usb, --device or --relay</translation>
    </message>
    <message>
        <source>--usb, --device и --relay исключают друг друга</source>
        <translation>--usb, --device and --relay exclude each other</translation>
    </message>
    <message>
        <source>--device: пустой путь</source>
        <translation>--device: empty path</translation>
    </message>
    <message>
        <source>--relay указан несколько раз</source>
        <translation>--relay given more than once</translation>
    </message>
    <message>
        <source>--id: пустой идентификатор</source>
        <translation>--id: empty identifier</translation>
    </message>
    <message>
        <source>--allow-partial относится только к write-settings</source>
        <translation>--allow-partial applies to write-settings only</translation>
    </message>
    <message>
        <source>--jobs: ожидается число от 1 до %1, а не &apos;%2&apos;</source>
        <translation>--jobs: expected a number from 1 to %1, not &apos;%2&apos;</translation>
    </message>
    <message>
        <source>--pin: пустой PIN</source>
        <translation>--pin: empty PIN</translation>
    </message>
    <message>
        <source>переменная TRIVOX_PIN задана, но пуста</source>
        <translation>the TRIVOX_PIN variable is set but empty</translation>
    </message>
    <message>
        <source>PIN должен состоять из 4 цифр</source>
        <translation>the PIN must be 4 digits</translation>
    </message>
    <message>
        <source>--relay: неверный порт в &apos;%1&apos;</source>
        <translation>--relay: invalid port in &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--relay: не указан адрес сервера</source>
        <translation>--relay: no server address given</translation>
    </message>
    <message>
        <source>--group: ожидается system, io, network или all, а не &apos;%1&apos;</source>
        <translation>--group: expected system, io, network or all, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--id и --all относятся только к --relay</source>
        <translation>--id and --all apply to --relay only</translation>
    </message>
    <message>
        <source>list работает только через сервер (--relay)</source>
        <translation>list works only through a server (--relay)</translation>
    </message>
    <message>
        <source>list не принимает --id и --all</source>
        <translation>list does not take --id or --all</translation>
    </message>
    <message>
        <source>--id и --all исключают друг друга</source>
        <translation>--id and --all exclude each other</translation>
    </message>
    <message>
        <source>укажите терминалы: --id ID[,ID...] или --all</source>
        <translation>name the terminals: --id ID[,ID...] or --all</translation>
    </message>
    <message>
        <source>diff сравнивает настройки одного терминала: укажите один --id</source>
        <translation>diff compares one terminal&apos;s settings: give one --id</translation>
    </message>
    <message>
        <source>--group относится только к команде state</source>
        <translation>--group applies to the state command only</translation>
    </message>
    <message>
        <source>%1: укажите входной файл (-i)</source>
        <translation>%1: give the input file (-i)</translation>
    </message>
    <message>
        <source>%1 не принимает -i</source>
        <translation>%1 does not take -i</translation>
    </message>
    <message>
        <source>%1: укажите выходной файл (-o)</source>
        <translation>%1: give the output file (-o)</translation>
    </message>
    <message>
        <source>%1 не принимает -o</source>
        <translation>%1 does not take -o</translation>
    </message>
    <message>
        <source>сброс к заводским настройкам стирает настройки терминала; для подтверждения добавьте --yes-really</source>
        <translation>a factory reset erases the terminal&apos;s settings; add --yes-really to confirm</translation>
    </message>
    <message>
        <source>--yes-really относится только к factory-reset</source>
        <translation>--yes-really applies to factory-reset only</translation>
    </message>
    <message>
        <source>%1 не принимает --json</source>
        <translation>%1 does not take --json</translation>
    </message>
    <message>
        <source>--no-backup относится только к write-settings, firmware и factory-reset</source>
        <translation>--no-backup applies to write-settings, firmware and factory-reset only</translation>
    </message>
    <message>
        <source>--no-backup и --backup-dir исключают друг друга</source>
        <translation>--no-backup and --backup-dir exclude each other</translation>
    </message>
    <message>
        <source>--backup-dir относится только к backup, write-settings, firmware и factory-reset</source>
        <translation>--backup-dir applies to backup, write-settings, firmware and factory-reset only</translation>
    </message>
    <message>
        <source>%1 не принимает --jobs и --journal</source>
        <translation>%1 does not take --jobs or --journal</translation>
    </message>
    <message>
        <source>Справка: trivox-cli --help</source>
        <translation>Help: trivox-cli --help</translation>
    </message>
    <message>
        <source>
Команды:
  list                       терминалы, подключенные к серверу (только --relay)
  state [--group G]          состояние: system, io, network или all (по умолчанию all)
  read-settings -o FILE.ksf  загрузить настройки терминала в файл
  write-settings -i FILE.ksf передать настройки из файла в терминал; файл должен
                             содержать все настройки, иначе запись отменяется
                             (с --allow-partial недостающие берутся из терминала)
  log -o FILE.log            загрузить LOG терминала в файл (UTF-8)
  firmware -i FILE.kbf       загрузить прошивку; сеанс после нее завершается
  restart                    перезагрузить терминал
  factory-reset --yes-really сбросить терминал к заводским настройкам
  backup                     сохранить резервную копию настроек терминала
  diff A B                   сравнить настройки: A и B - файлы .ksf или .json либо
                             слово device (настройки терминала, без их применения);
                             код 0 - совпадают, 6 - различаются
  export -i FILE.ksf -o FILE.json  настройки из файла .ksf в текст JSON
  import -i FILE.json -o FILE.ksf  текст JSON в файл .ksf (с проверкой каждого
                             значения; при ошибке файл не создается)

Перед write-settings, firmware и factory-reset текущие настройки терминала
сохраняются в резервную копию (папка терминала в --backup-dir, по умолчанию
в данных программы; хранятся 20 последних). Терминал на сервере называется
своим идентификатором, на USB - своим IMEI. Если копию сделать не удалось,
действие отменяется; --no-backup выполняет его без копии.

Несколько терминалов (--id A,B или --all) обслуживаются по очереди, с --jobs N -
до N одновременно, каждый в отдельном процессе; для каждого в стандартный поток
ошибок выводится ход работы (в порядке терминалов), в конце - итоговая таблица.
Если в имени файла (-o) нет {id}, для нескольких терминалов к имени добавляется
&quot;-&lt;id&gt;&quot;. Без --continue-on-error работа прекращается на первой ошибке: новые
терминалы не начинаются, начатые завершаются.
С --journal FILE каждый завершенный терминал записывается в журнал; повторный
запуск с тем же журналом пропускает терминалы, для которых та же команда уже
выполнена успешно, - так прерванная работа продолжается с места остановки.

PIN берется из --pin или из переменной окружения TRIVOX_PIN (предпочтительно:
параметры командной строки видны другим пользователям). PIN нигде не выводится.
Без PIN используется заводской PIN терминала (7390); пустая TRIVOX_PIN - ошибка.

Коды завершения:
  0  успешно
  1  ошибка в командной строке
  2  нет связи с сервером или терминалом, терминал не найден или занят
  3  неверный PIN
  4  связь с терминалом потеряна, передача не удалась или терминал прислал не все
     данные (state: хотя бы один параметр не прочитан)
  5  ошибка файла (чтение, запись, недопустимое содержимое) или резервной копии
  6  diff: настройки различаются
При нескольких терминалах возвращается код первой ошибки.

Примеры:
  trivox-cli --relay 127.0.0.1:25501 list
  TRIVOX_PIN=7390 trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 state --json
  trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 --pin 7390 read-settings -o base.ksf
  trivox-cli --relay 10.0.0.1 --all --continue-on-error write-settings -i base.ksf
  trivox-cli --device /dev/ttyACM0 log -o terminal.log
  trivox-cli --usb firmware -i update.kbf
  trivox-cli --relay 127.0.0.1:25501 --all --jobs 4 --journal run.jsonl backup
  trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 diff base.ksf device
  trivox-cli export -i base.ksf -o base.json
</source>
        <translation>
Commands:
  list                       terminals connected to the server (--relay only)
  state [--group G]          state: system, io, network or all (default all)
  read-settings -o FILE.ksf  read the terminal&apos;s settings into a file
  write-settings -i FILE.ksf write the settings from a file to the terminal; the
                             file must hold every setting, else nothing is
                             written (with --allow-partial the missing ones
                             come from the terminal)
  log -o FILE.log            download the terminal&apos;s LOG into a file (UTF-8)
  firmware -i FILE.kbf       upload firmware; the session ends after it
  restart                    restart the terminal
  factory-reset --yes-really reset the terminal to factory settings
  backup                     save a backup of the terminal&apos;s settings
  diff A B                   compare settings: A and B are .ksf or .json files
                             or the word device (the terminal&apos;s settings, not
                             applied); exit code 0 - equal, 6 - different
  export -i FILE.ksf -o FILE.json  settings from a .ksf file as JSON text
  import -i FILE.json -o FILE.ksf  JSON text into a .ksf file (every value is
                             checked; on an error no file is written)

Before write-settings, firmware and factory-reset the terminal&apos;s current
settings are saved as a backup (the terminal&apos;s folder in --backup-dir, by
default in the program&apos;s data; the newest 20 are kept). A terminal is named by
its identifier on a server and by its IMEI on USB. If the backup cannot be
made, the action is cancelled; --no-backup does it without a backup.

Several terminals (--id A,B or --all) are served one after another, or with
--jobs N up to N at once, each in a process of its own; the progress of each
goes to standard error (in the order of the terminals), a summary table at the
end. If the file name (-o) has no {id}, &quot;-&lt;id&gt;&quot; is added to it for several
terminals. Without --continue-on-error the work stops at the first error: no
new terminals are begun, those begun are finished.
With --journal FILE each finished terminal is recorded in the journal; a rerun
with the same journal skips the terminals on which the same command has
already succeeded, so interrupted work goes on where it stopped.

The PIN is taken from --pin or from the TRIVOX_PIN environment variable
(preferred: command-line arguments are visible to other users). The PIN is
never printed. Without a PIN the terminal&apos;s factory PIN (7390) is used; an
empty TRIVOX_PIN is an error.

Exit codes:
  0  success
  1  error in the command line
  2  no connection with the server or the terminal, terminal not found or busy
  3  wrong PIN
  4  connection with the terminal lost, transfer failed, or the terminal sent
     incomplete data (state: at least one parameter not read)
  5  file error (reading, writing, invalid content) or backup error
  6  diff: the settings differ
With several terminals, the code of the first error is returned.

Examples:
  trivox-cli --relay 127.0.0.1:25501 list
  TRIVOX_PIN=7390 trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 state --json
  trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 --pin 7390 read-settings -o base.ksf
  trivox-cli --relay 10.0.0.1 --all --continue-on-error write-settings -i base.ksf
  trivox-cli --device /dev/ttyACM0 log -o terminal.log
  trivox-cli --usb firmware -i update.kbf
  trivox-cli --relay 127.0.0.1:25501 --all --jobs 4 --journal run.jsonl backup
  trivox-cli --relay 127.0.0.1:25501 --id TRX-0001 diff base.ksf device
  trivox-cli export -i base.ksf -o base.json
</translation>
    </message>
    <message>
        <source>Язык сообщений: ru или en (по умолчанию как в системе).</source>
        <translation>Language of the messages: ru or en (default: as the system).</translation>
    </message>
    <message>
        <source>--lang: ожидается ru или en, а не &apos;%1&apos;</source>
        <translation>--lang: expected ru or en, not &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Использование: trivox [параметры]
Trivox конфигуратор: настройка терминалов телеметрии GSM/GPRS по USB или через сервер-ретранслятор.

  -h, --help       эта справка
  -v, --version    версия программы
  --lang ru|en     язык интерфейса (по умолчанию - как выбран в окне, иначе как в системе)
  --debug          отладочный журнал (на английском) в стандартный поток ошибок

Принимаются и параметры Qt, например -platform и -style.
</source>
        <translation>Usage: trivox [options]
Trivox Configurator: configuring GSM/GPRS telemetry terminals over USB or through a relay server.

  -h, --help       this help
  -v, --version    program version
  --lang ru|en     interface language (default: as chosen in the window, else as the system)
  --debug          debug log (in English) on standard error

Qt options such as -platform and -style are accepted too.
</translation>
    </message>
</context>
<context>
    <name>DifferencesDialog</name>
    <message>
        <source>Все настройки совпадают.</source>
        <translation>All settings are equal.</translation>
    </message>
    <message>
        <source>Различаются настройки: %1</source>
        <translation>Settings that differ: %1</translation>
    </message>
    <message>
        <source>Настройка</source>
        <translation>Setting</translation>
    </message>
</context>
<context>
    <name>FleetJobs</name>
    <message>
        <source>процесс завершился аварийно (код %1)</source>
        <translation>the process crashed (code %1)</translation>
    </message>
    <message>
        <source>не удалось запустить процесс: %1</source>
        <translation>could not start the process: %1</translation>
    </message>
    <message>
        <source>процесс завершился без результата (код %1)</source>
        <translation>the process ended without a result (code %1)</translation>
    </message>
</context>
<context>
    <name>FleetJournal</name>
    <message>
        <source>журнал %1 не прочитан: %2</source>
        <translation>journal %1 not read: %2</translation>
    </message>
    <message>
        <source>слишком большой</source>
        <translation>too large</translation>
    </message>
    <message>
        <source>%1, строка %2: это не запись журнала trivox-cli; файл не изменен</source>
        <translation>%1, line %2: not a trivox-cli journal entry; the file is left unchanged</translation>
    </message>
    <message>
        <source>журнал %1 не записан: %2</source>
        <translation>journal %1 not written: %2</translation>
    </message>
</context>
<context>
    <name>FleetRunner</name>
    <message>
        <source>Потеряно соединение с устройством, проверьте подключение</source>
        <translation>Connection with the device lost, check the connection</translation>
    </message>
    <message>
        <source>Устройство не отвечает, работа прекращена</source>
        <translation>The device does not answer, work stopped</translation>
    </message>
    <message>
        <source>уже выполнено: %1 (журнал %2)</source>
        <translation>already done: %1 (journal %2)</translation>
    </message>
    <message>
        <source>не выполнялось после ошибки</source>
        <translation>not run after an error</translation>
    </message>
    <message>
        <source>[%1] Пропущено: %2</source>
        <translation>[%1] Skipped: %2</translation>
    </message>
    <message>
        <source>Предупреждение: %1</source>
        <translation>Warning: %1</translation>
    </message>
    <message>
        <source>Не удается открыть файл настроек %1: %2</source>
        <translation>Cannot open settings file %1: %2</translation>
    </message>
    <message>
        <source>Предупреждение: %1: %2</source>
        <translation>Warning: %1: %2</translation>
    </message>
    <message>
        <source>Файл не найден: %1</source>
        <translation>File not found: %1</translation>
    </message>
    <message>
        <source>Файл прошивки %1: недопустимый размер %2 байт</source>
        <translation>Firmware file %1: invalid size of %2 bytes</translation>
    </message>
    <message>
        <source>Нельзя записать файл %1: нет такого каталога или нет прав</source>
        <translation>Cannot write file %1: no such directory or no permission</translation>
    </message>
    <message>
        <source>В данный момент к серверу не подключено ни одно устройство</source>
        <translation>No device is connected to the server at the moment</translation>
    </message>
    <message>
        <source>Устройство не найдено на сервере</source>
        <translation>Device not found on the server</translation>
    </message>
    <message>
        <source>Неизвестный тип устройства %1: настройки не передаются</source>
        <translation>Unknown device type %1: settings are not written</translation>
    </message>
    <message>
        <source>терминал не сообщил IMEI, по которому названа копия</source>
        <translation>the terminal did not report the IMEI that names the backup</translation>
    </message>
    <message>
        <source>Настройки терминала прочитаны</source>
        <translation>Terminal settings read</translation>
    </message>
    <message>
        <source>настройки терминала не помещаются в файл</source>
        <translation>the terminal&apos;s settings do not fit into a file</translation>
    </message>
    <message>
        <source>Резервная копия сохранена в %1</source>
        <translation>Backup saved to %1</translation>
    </message>
    <message>
        <source>Резервная копия настроек сохранена в %1</source>
        <translation>Settings backup saved to %1</translation>
    </message>
    <message>
        <source>Резервная копия не сделана: %1. %2 не выполнялось; --no-backup выполнит без копии</source>
        <translation>No backup made: %1. %2 was not run; --no-backup runs it without a backup</translation>
    </message>
    <message>
        <source>Не прочитано параметров: %1 из %2</source>
        <translation>Parameters not read: %1 of %2</translation>
    </message>
    <message>
        <source>Состояние прочитано</source>
        <translation>State read</translation>
    </message>
    <message>
        <source>Не удается сохранить файл настроек %1: %2</source>
        <translation>Cannot save settings file %1: %2</translation>
    </message>
    <message>
        <source>Настройки сохранены в %1</source>
        <translation>Settings saved to %1</translation>
    </message>
    <message>
        <source>Файл настроек %1 неполный: нет %2 настроек (%3); запись прервана, --allow-partial дополнит его настройками терминала</source>
        <translation>Settings file %1 is incomplete: %2 settings missing (%3); writing stopped, --allow-partial fills it with the terminal&apos;s settings</translation>
    </message>
    <message>
        <source>Терминал прислал неполные настройки: нет %1 настроек</source>
        <translation>The terminal sent incomplete settings: %1 settings missing</translation>
    </message>
    <message>
        <source>Не удается сохранить файл %1: %2</source>
        <translation>Cannot save file %1: %2</translation>
    </message>
    <message>
        <source>LOG сохранен в %1</source>
        <translation>LOG saved to %1</translation>
    </message>
    <message>
        <source>%1 (резервная копия: %2)</source>
        <translation>%1 (backup: %2)</translation>
    </message>
    <message>
        <source>[%1] Готово: %2</source>
        <translation>[%1] Done: %2</translation>
    </message>
    <message>
        <source>[%1] Не выполнено: %2</source>
        <translation>[%1] Failed: %2</translation>
    </message>
    <message>
        <source>Ошибка: %1</source>
        <translation>Error: %1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Trivox конфигуратор</source>
        <translation>Trivox Configurator</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>State</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Диагностика</source>
        <translation>Diagnostics</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Обновление</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>Загрузить</source>
        <translation>Read from device</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Write to device</translation>
    </message>
    <message>
        <source>Соединиться</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Основное</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Входы/выходы</source>
        <translation>Inputs/outputs</translation>
    </message>
    <message>
        <source>Сеть</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>Загрузить настройки из файла</source>
        <translation>Load settings from file</translation>
    </message>
    <message>
        <source>Сохранить настройки в файл</source>
        <translation>Save settings to file</translation>
    </message>
    <message>
        <source>Сравнить с файлом…</source>
        <translation>Compare with file…</translation>
    </message>
    <message>
        <source>Резервные копии…</source>
        <translation>Backups…</translation>
    </message>
    <message>
        <source>Показать</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Соединения</source>
        <translation>Connections</translation>
    </message>
    <message>
        <source>Безопасность</source>
        <translation>Security</translation>
    </message>
    <message>
        <source>Интерфейсы</source>
        <translation>Interfaces</translation>
    </message>
    <message>
        <source>LOG</source>
        <translation>LOG</translation>
    </message>
    <message>
        <source>История состояний</source>
        <translation>Status history</translation>
    </message>
    <message>
        <source>Считать LOG</source>
        <translation>Read LOG</translation>
    </message>
    <message>
        <source>Сохранить в файл</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Найти (Ctrl+F)</source>
        <translation>Find (Ctrl+F)</translation>
    </message>
    <message>
        <source>Не удается открыть файл, возможно он открыт в другом приложении</source>
        <translation>Cannot open the file, it may be open in another application</translation>
    </message>
    <message>
        <source>Не удается открыть файл</source>
        <translation>Cannot open the file</translation>
    </message>
    <message>
        <source>Файлы настроек (*.ksf);;Настройки в JSON (*.json)</source>
        <translation>Settings files (*.ksf);;Settings as JSON (*.json)</translation>
    </message>
    <message>
        <source>Настройки (*.ksf *.json);;Файлы настроек (*.ksf);;Настройки в JSON (*.json)</source>
        <translation>Settings (*.ksf *.json);;Settings files (*.ksf);;Settings as JSON (*.json)</translation>
    </message>
    <message>
        <source>Нет соединения с устройством</source>
        <translation>No connection with the device</translation>
    </message>
    <message>
        <source>Соединение не установлено</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>Отключиться</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Потеряно соединение с устройством, проверьте подключение</source>
        <translation>Connection with the device lost, check the connection</translation>
    </message>
    <message>
        <source>Прекратить переподключение</source>
        <translation>Stop reconnecting</translation>
    </message>
    <message>
        <source>Устройство отключено</source>
        <translation>Device disconnected</translation>
    </message>
    <message>
        <source>Устройства не найдены</source>
        <translation>No devices found</translation>
    </message>
    <message>
        <source>В данный момент к серверу не подключено ни одно устройство</source>
        <translation>No device is connected to the server at the moment</translation>
    </message>
    <message>
        <source>Устройство снова на связи (попыток: %1)</source>
        <translation>Device connected again (attempts: %1)</translation>
    </message>
    <message>
        <source>Настройки считаны не полностью</source>
        <translation>Settings read incompletely</translation>
    </message>
    <message>
        <source>Устройство прислало не все настройки: не хватает %1. Эти поля показывают прежние значения, а не значения устройства.</source>
        <translation>The device did not send all settings: %1 missing. These fields show the previous values, not the device&apos;s.</translation>
    </message>
    <message>
        <source>Введите pin-код</source>
        <translation>Enter the PIN</translation>
    </message>
    <message>
        <source>Попытка настроек количества серверов больше 6</source>
        <translation>Attempt to set more than 6 servers</translation>
    </message>
    <message>
        <source>Добавление невозможно</source>
        <translation>Cannot add</translation>
    </message>
    <message>
        <source>Для добавления датчиков необходимо подключить устройство</source>
        <translation>Connect a device to add sensors</translation>
    </message>
    <message>
        <source>Режим добавления датчиков</source>
        <translation>Sensor enrolment mode</translation>
    </message>
    <message>
        <source>Включен режм добавления. Подключите новые датчики к устройству, затем нажмите ок. Датчики будут добавлены автоматически.</source>
        <translation>Enrolment mode is on. Connect the new sensors to the device, then press OK. The sensors will be added automatically.</translation>
    </message>
    <message>
        <source>Рестарт устройства</source>
        <translation>Restart device</translation>
    </message>
    <message>
        <source>Устройство будет перезагружено, сеанс связи с ним завершится.</source>
        <translation>The device will restart and the session with it will end.</translation>
    </message>
    <message>
        <source>Перезагрузить</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>Сброс к заводским настройкам</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>Все настройки устройства будут заменены заводскими, сеанс связи с ним завершится. Отменить сброс нельзя.</source>
        <translation>All device settings will be replaced by the factory settings and the session with it will end. The reset cannot be undone.</translation>
    </message>
    <message>
        <source>Сбросить настройки</source>
        <translation>Reset settings</translation>
    </message>
    <message>
        <source>При закрытии программы они будут потеряны.</source>
        <translation>They will be lost when the program closes.</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Загрузка невозможна</source>
        <translation>Cannot upload</translation>
    </message>
    <message>
        <source>Для загрузки ПО необходимо подключить устройство</source>
        <translation>Connect a device to upload firmware</translation>
    </message>
    <message>
        <source>Выберите файл прошивки</source>
        <translation>Choose a firmware file</translation>
    </message>
    <message>
        <source>Файлы прошивок Kora (*.kbf)</source>
        <translation>Kora firmware files (*.kbf)</translation>
    </message>
    <message>
        <source>Обновление прошивки</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>В устройство будет записана прошивка из файла
%1
(%2 байт).
После загрузки устройство отключится.</source>
        <translation>The firmware from the file
%1
(%2 bytes) will be written to the device.
After the upload the device disconnects.</translation>
    </message>
    <message>
        <source>Загрузить прошивку</source>
        <translation>Upload firmware</translation>
    </message>
    <message>
        <source>Переподключение остановлено</source>
        <translation>Reconnecting stopped</translation>
    </message>
    <message>
        <source>После отключения записать их в это устройство будет нельзя.</source>
        <translation>After disconnecting they cannot be written to this device.</translation>
    </message>
    <message>
        <source>Они останутся в редакторе, но принадлежат не новому устройству.</source>
        <translation>They stay in the editor but do not belong to the new device.</translation>
    </message>
    <message>
        <source>Запись в другое устройство</source>
        <translation>Write to another device</translation>
    </message>
    <message>
        <source>Настройки в редакторе считаны из %1 (%2), а подключено %3.
Записать их в %3?</source>
        <translation>The settings in the editor were read from %1 (%2), but %3 is connected.
Write them to %3?</translation>
    </message>
    <message>
        <source>Записать в %1</source>
        <translation>Write to %1</translation>
    </message>
    <message>
        <source>Загрузка заменит их настройками устройства.</source>
        <translation>Reading from the device replaces them with the device&apos;s settings.</translation>
    </message>
    <message>
        <source>Укажите место сохранения</source>
        <translation>Choose where to save</translation>
    </message>
    <message>
        <source>Файлы LOG (*.log)</source>
        <translation>LOG files (*.log)</translation>
    </message>
    <message>
        <source>Выберите файл настроек</source>
        <translation>Choose a settings file</translation>
    </message>
    <message>
        <source>Файл заменит их.</source>
        <translation>The file replaces them.</translation>
    </message>
    <message>
        <source>Загрузить файл</source>
        <translation>Load file</translation>
    </message>
    <message>
        <source>Файл загружен не полностью</source>
        <translation>File loaded incompletely</translation>
    </message>
    <message>
        <source>В файле %1 нет %2 настроек (%3). Эти поля сохранили прежние значения.</source>
        <translation>File %1 lacks %2 settings (%3). These fields kept their previous values.</translation>
    </message>
    <message>
        <source>устройства на USB</source>
        <translation>the device on USB</translation>
    </message>
    <message>
        <source>Изменения не записаны</source>
        <translation>Changes not written</translation>
    </message>
    <message>
        <source>Настройки в редакторе изменены, но не записаны в устройство и не сохранены в файл. %1</source>
        <translation>The settings in the editor have changed but are neither written to the device nor saved to a file. %1</translation>
    </message>
    <message>
        <source>Изменений нет</source>
        <translation>No changes</translation>
    </message>
    <message>
        <source>Изменений: %1</source>
        <translation>Changes: %1</translation>
    </message>
    <message>
        <source>Изменения, не записанные в устройство</source>
        <translation>Changes not written to the device</translation>
    </message>
    <message>
        <source>Было</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>Стало</source>
        <translation>After</translation>
    </message>
    <message>
        <source>Выберите файл для сравнения</source>
        <translation>Choose a file to compare with</translation>
    </message>
    <message>
        <source>Сравнение с файлом %1</source>
        <translation>Comparison with file %1</translation>
    </message>
    <message>
        <source>В файле</source>
        <translation>In file</translation>
    </message>
    <message>
        <source>В редакторе</source>
        <translation>In editor</translation>
    </message>
    <message>
        <source>Резервная копия и редактор</source>
        <translation>Backup and editor</translation>
    </message>
    <message>
        <source>В копии</source>
        <translation>In backup</translation>
    </message>
    <message>
        <source>Резервная копия заменит их.</source>
        <translation>The backup replaces them.</translation>
    </message>
    <message>
        <source>Загрузить копию</source>
        <translation>Load backup</translation>
    </message>
    <message>
        <source>это не файл настроек (%1 байт)</source>
        <translation>not a settings file (%1 bytes)</translation>
    </message>
    <message>
        <source>устройство не назвало свой IMEI</source>
        <translation>the device did not report its IMEI</translation>
    </message>
    <message>
        <source>Резервная копия сохранена: %1</source>
        <translation>Backup saved: %1</translation>
    </message>
    <message>
        <source>Резервная копия не сохранена</source>
        <translation>Backup not saved</translation>
    </message>
    <message>
        <source>Не удалось сохранить резервную копию настроек устройства:
%1

Без неё прежние настройки устройства нельзя будет вернуть.</source>
        <translation>Could not save a backup of the device&apos;s settings:
%1

Without it the device&apos;s previous settings cannot be restored.</translation>
    </message>
    <message>
        <source>Продолжить без копии</source>
        <translation>Continue without backup</translation>
    </message>
    <message>
        <source>Устройство не вернулось за %1 с, переподключение прекращено</source>
        <translation>The device did not return within %1 s, reconnecting stopped</translation>
    </message>
    <message>
        <source>Переподключение: попытка %1</source>
        <translation>Reconnecting: attempt %1</translation>
    </message>
    <message>
        <source>Устройство вернулось с другой прошивкой: %1 (была %2)</source>
        <translation>The device returned with other firmware: %1 (was %2)</translation>
    </message>
    <message>
        <source>Язык / Language</source>
        <translation>Язык / Language</translation>
    </message>
    <message>
        <source>Графики</source>
        <translation>Plots</translation>
    </message>
    <message>
        <source>Язык интерфейса сменится при следующем запуске программы.</source>
        <translation>The interface language changes the next time the program starts.</translation>
    </message>
</context>
<context>
    <name>ParameterTable</name>
    <message>
        <source>Тип устройства</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>Версия прошивки</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>Версия прошивки GSM</source>
        <translation>GSM firmware version</translation>
    </message>
    <message>
        <source>ICCID SIM-карты</source>
        <translation>SIM card ICCID</translation>
    </message>
    <message>
        <source>Время работы устройства</source>
        <translation>Device uptime</translation>
    </message>
    <message>
        <source>Текущее время</source>
        <translation>Current time</translation>
    </message>
    <message>
        <source>Соединение с сервером 1</source>
        <translation>Connection with server 1</translation>
    </message>
    <message>
        <source>Соединение с сервером 2</source>
        <translation>Connection with server 2</translation>
    </message>
    <message>
        <source>Соединение с сервером 3</source>
        <translation>Connection with server 3</translation>
    </message>
    <message>
        <source>Соединение с сервером 4</source>
        <translation>Connection with server 4</translation>
    </message>
    <message>
        <source>Соединение с сервером 5</source>
        <translation>Connection with server 5</translation>
    </message>
    <message>
        <source>Соединение с сервером 6</source>
        <translation>Connection with server 6</translation>
    </message>
    <message>
        <source>Соединение с сервером 7</source>
        <translation>Connection with server 7</translation>
    </message>
    <message>
        <source>Соединение с сервером 8</source>
        <translation>Connection with server 8</translation>
    </message>
    <message>
        <source>Аналоговый вход 1</source>
        <translation>Analog input 1</translation>
    </message>
    <message>
        <source>Аналоговый вход 2</source>
        <translation>Analog input 2</translation>
    </message>
    <message>
        <source>Аналоговый вход 3</source>
        <translation>Analog input 3</translation>
    </message>
    <message>
        <source>Цифровой вход 1</source>
        <translation>Digital input 1</translation>
    </message>
    <message>
        <source>Цифровой вход 2</source>
        <translation>Digital input 2</translation>
    </message>
    <message>
        <source>Цифровой вход 3</source>
        <translation>Digital input 3</translation>
    </message>
    <message>
        <source>Цифровой выход 1</source>
        <translation>Digital output 1</translation>
    </message>
    <message>
        <source>Импульсный вход 1</source>
        <translation>Pulse input 1</translation>
    </message>
    <message>
        <source>Импульсный вход 2</source>
        <translation>Pulse input 2</translation>
    </message>
    <message>
        <source>Импульсный вход 3</source>
        <translation>Pulse input 3</translation>
    </message>
    <message>
        <source>Частотный вход 1</source>
        <translation>Frequency input 1</translation>
    </message>
    <message>
        <source>Частотный вход 2</source>
        <translation>Frequency input 2</translation>
    </message>
    <message>
        <source>Частотный вход 3</source>
        <translation>Frequency input 3</translation>
    </message>
    <message>
        <source>Частотный выход 1</source>
        <translation>Frequency output 1</translation>
    </message>
    <message>
        <source>Текущий ключ</source>
        <translation>Current key</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 1</source>
        <translation>External temperature sensor 1</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 2</source>
        <translation>External temperature sensor 2</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 3</source>
        <translation>External temperature sensor 3</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 4</source>
        <translation>External temperature sensor 4</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 5</source>
        <translation>External temperature sensor 5</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 6</source>
        <translation>External temperature sensor 6</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 7</source>
        <translation>External temperature sensor 7</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 8</source>
        <translation>External temperature sensor 8</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 9</source>
        <translation>External temperature sensor 9</translation>
    </message>
    <message>
        <source>Внешний датчик температуры 10</source>
        <translation>External temperature sensor 10</translation>
    </message>
    <message>
        <source>Внутренний датчик температуры</source>
        <translation>Internal temperature sensor</translation>
    </message>
    <message>
        <source>Напряжение питания</source>
        <translation>Supply voltage</translation>
    </message>
    <message>
        <source>Напряжение питания внешних устройств</source>
        <translation>External devices supply voltage</translation>
    </message>
    <message>
        <source>Уровень сигнала GSM</source>
        <translation>GSM signal level</translation>
    </message>
    <message>
        <source>Баланс SIM</source>
        <translation>SIM balance</translation>
    </message>
    <message>
        <source>Датчик глушения GSM</source>
        <translation>GSM jamming detector</translation>
    </message>
    <message>
        <source>Передано байт на сервер 1</source>
        <translation>Bytes sent to server 1</translation>
    </message>
    <message>
        <source>Передано байт на сервер 2</source>
        <translation>Bytes sent to server 2</translation>
    </message>
    <message>
        <source>Передано байт на сервер 3</source>
        <translation>Bytes sent to server 3</translation>
    </message>
    <message>
        <source>Передано байт на сервер 4</source>
        <translation>Bytes sent to server 4</translation>
    </message>
    <message>
        <source>Передано байт на сервер 5</source>
        <translation>Bytes sent to server 5</translation>
    </message>
    <message>
        <source>Передано байт на сервер 6</source>
        <translation>Bytes sent to server 6</translation>
    </message>
    <message>
        <source>Передано байт на сервер 7</source>
        <translation>Bytes sent to server 7</translation>
    </message>
    <message>
        <source>Передано байт на сервер 8</source>
        <translation>Bytes sent to server 8</translation>
    </message>
    <message>
        <source>Принято байт от сервера 1</source>
        <translation>Bytes received from server 1</translation>
    </message>
    <message>
        <source>Принято байт от сервера 2</source>
        <translation>Bytes received from server 2</translation>
    </message>
    <message>
        <source>Принято байт от сервера 3</source>
        <translation>Bytes received from server 3</translation>
    </message>
    <message>
        <source>Принято байт от сервера 4</source>
        <translation>Bytes received from server 4</translation>
    </message>
    <message>
        <source>Принято байт от сервера 5</source>
        <translation>Bytes received from server 5</translation>
    </message>
    <message>
        <source>Принято байт от сервера 6</source>
        <translation>Bytes received from server 6</translation>
    </message>
    <message>
        <source>Принято байт от сервера 7</source>
        <translation>Bytes received from server 7</translation>
    </message>
    <message>
        <source>Принято байт от сервера 8</source>
        <translation>Bytes received from server 8</translation>
    </message>
</context>
<context>
    <name>PlotsPage</name>
    <message>
        <source>Отметьте величины, которые нужно показать на графике</source>
        <translation>Tick the values to show on the plot</translation>
    </message>
    <message>
        <source>Промежуток времени, показанный на графике</source>
        <translation>Time span shown on the plot</translation>
    </message>
    <message>
        <source>Пауза</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Остановить график; запись значений продолжается</source>
        <translation>Freeze the plot; values are still recorded</translation>
    </message>
    <message>
        <source>Экспорт в CSV…</source>
        <translation>Export to CSV…</translation>
    </message>
    <message>
        <source>Сохранить показанные на графике значения в файл CSV</source>
        <translation>Save the values shown on the plot to a CSV file</translation>
    </message>
    <message>
        <source>Опрашивать все группы</source>
        <translation>Poll all groups</translation>
    </message>
    <message>
        <source>Пока открыта эта страница, каждую секунду считывать следующую группу состояния (основное, входы/выходы, сеть), чтобы заполнялись все графики. Иначе считывается только группа открытой вкладки состояния.</source>
        <translation>While this page is open, read the next state group (general, inputs/outputs, network) every second, so that every plot fills. Otherwise only the group of the open state tab is read.</translation>
    </message>
    <message>
        <source>Последние %1 мин</source>
        <translation>Last %1 min</translation>
    </message>
    <message>
        <source>Основное</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Входы/выходы</source>
        <translation>Inputs/outputs</translation>
    </message>
    <message>
        <source>Сеть</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>Отметьте в списке величины, которые нужно показать</source>
        <translation>Tick the values to show in the list</translation>
    </message>
    <message>
        <source>За этот промежуток значения не считывались</source>
        <translation>No values were read in this time span</translation>
    </message>
    <message>
        <source>Экспорт графиков</source>
        <translation>Export plots</translation>
    </message>
    <message>
        <source>Файлы CSV (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Не удается сохранить файл</source>
        <translation>Cannot save the file</translation>
    </message>
</context>
<context>
    <name>SessionOutcome</name>
    <message>
        <source>Невозможно соединиться с сервером</source>
        <translation>Cannot connect to the server</translation>
    </message>
    <message>
        <source>Сервер не прислал список устройств</source>
        <translation>The server did not send the device list</translation>
    </message>
    <message>
        <source>Ошибка подключения</source>
        <translation>Connection error</translation>
    </message>
    <message>
        <source>Устройство не найдено</source>
        <translation>Device not found</translation>
    </message>
    <message>
        <source>Устройство занято другим конфигуратором</source>
        <translation>The device is busy with another configurator</translation>
    </message>
    <message>
        <source>Введен неверный пин-код</source>
        <translation>Wrong PIN entered</translation>
    </message>
    <message>
        <source>Устройство не отвечает</source>
        <translation>The device does not answer</translation>
    </message>
    <message>
        <source>Устройство подключено</source>
        <translation>Device connected</translation>
    </message>
    <message>
        <source>Устройство отключено</source>
        <translation>Device disconnected</translation>
    </message>
    <message>
        <source>Потеряно соединение с устройством</source>
        <translation>Connection with the device lost</translation>
    </message>
    <message>
        <source>Ошибка чтения настроек для резервной копии</source>
        <translation>Error reading settings for the backup</translation>
    </message>
    <message>
        <source>Настройки загружены</source>
        <translation>Settings read from device</translation>
    </message>
    <message>
        <source>Ошибка загрузк настроек</source>
        <translation>Error reading settings from device</translation>
    </message>
    <message>
        <source>Настройки переданы</source>
        <translation>Settings written to device</translation>
    </message>
    <message>
        <source>Ошибка передачи настроек</source>
        <translation>Error writing settings to device</translation>
    </message>
    <message>
        <source>LOG файл успешно загружен</source>
        <translation>LOG file read successfully</translation>
    </message>
    <message>
        <source>Ошибка загрузки LOG-файла</source>
        <translation>Error reading the LOG file</translation>
    </message>
    <message>
        <source>Прошивка успешно загружена - устройство отключено</source>
        <translation>Firmware uploaded successfully - device disconnected</translation>
    </message>
    <message>
        <source>Файл не найден</source>
        <translation>File not found</translation>
    </message>
    <message>
        <source>Ошибка открытия файла</source>
        <translation>Error opening the file</translation>
    </message>
    <message>
        <source>Ошибка загрузки прошивки</source>
        <translation>Firmware upload error</translation>
    </message>
    <message>
        <source>Отправлена команда на перезагрузку устройства - устройство отключено</source>
        <translation>Restart command sent to the device - device disconnected</translation>
    </message>
    <message>
        <source>Отправлена команда на сброс к заводским настройкам - устройство отключено</source>
        <translation>Factory reset command sent - device disconnected</translation>
    </message>
    <message>
        <source>Устройство не подтвердило команду</source>
        <translation>The device did not confirm the command</translation>
    </message>
    <message>
        <source>Устройство не приняло параметр %1</source>
        <translation>The device refused parameter %1</translation>
    </message>
</context>
<context>
    <name>SessionProgress</name>
    <message>
        <source>Поиск устройства</source>
        <translation>Searching for the device</translation>
    </message>
    <message>
        <source>Устройство найдено, авторизация</source>
        <translation>Device found, authorizing</translation>
    </message>
    <message>
        <source>Ошибка авторизации</source>
        <translation>Authorization error</translation>
    </message>
    <message>
        <source>Загрузка настроек</source>
        <translation>Reading settings from device</translation>
    </message>
    <message>
        <source>Чтение настроек для резервной копии</source>
        <translation>Reading settings for the backup</translation>
    </message>
    <message>
        <source>Передача настроек</source>
        <translation>Writing settings to device</translation>
    </message>
    <message>
        <source>Загрузка LOG-файла</source>
        <translation>Reading the LOG file</translation>
    </message>
    <message>
        <source>Отправка команды</source>
        <translation>Sending command</translation>
    </message>
    <message>
        <source>Чтение параметра </source>
        <translation>Reading parameter </translation>
    </message>
    <message>
        <source>Передача параметра </source>
        <translation>Writing parameter </translation>
    </message>
    <message>
        <source>Передача фрагмента %1 из %2</source>
        <translation>Sending chunk %1 of %2</translation>
    </message>
</context>
<context>
    <name>SettingFieldValue</name>
    <message>
        <source>неизвестное значение (%1)</source>
        <translation>unknown value (%1)</translation>
    </message>
    <message>
        <source>да</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>нет</source>
        <translation>no</translation>
    </message>
    <message>
        <source>байты %1</source>
        <translation>bytes %1</translation>
    </message>
</context>
<context>
    <name>SettingsDiff</name>
    <message>
        <source>запись отсутствует</source>
        <translation>record missing</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>Запись %1</source>
        <translation>Record %1</translation>
    </message>
</context>
<context>
    <name>SettingsFields</name>
    <message>
        <source>Выключен</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Прозрачный обмен</source>
        <translation>Transparent exchange</translation>
    </message>
    <message>
        <source>Пакетный обмен</source>
        <translation>Packet exchange</translation>
    </message>
    <message>
        <source>Включен</source>
        <translation>On</translation>
    </message>
    <message>
        <source>RS-232</source>
        <translation>RS-232</translation>
    </message>
    <message>
        <source>RS-485</source>
        <translation>RS-485</translation>
    </message>
    <message>
        <source>600</source>
        <translation>600</translation>
    </message>
    <message>
        <source>1200</source>
        <translation>1200</translation>
    </message>
    <message>
        <source>2400</source>
        <translation>2400</translation>
    </message>
    <message>
        <source>4800</source>
        <translation>4800</translation>
    </message>
    <message>
        <source>9600</source>
        <translation>9600</translation>
    </message>
    <message>
        <source>19200</source>
        <translation>19200</translation>
    </message>
    <message>
        <source>38400</source>
        <translation>38400</translation>
    </message>
    <message>
        <source>57600</source>
        <translation>57600</translation>
    </message>
    <message>
        <source>115200</source>
        <translation>115200</translation>
    </message>
    <message>
        <source>7 бит</source>
        <translation>7 bits</translation>
    </message>
    <message>
        <source>8 бит</source>
        <translation>8 bits</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>0.5 бит</source>
        <translation>0.5 bit</translation>
    </message>
    <message>
        <source>1 бит</source>
        <translation>1 bit</translation>
    </message>
    <message>
        <source>1.5 бит</source>
        <translation>1.5 bits</translation>
    </message>
    <message>
        <source>2 бит</source>
        <translation>2 bits</translation>
    </message>
    <message>
        <source>Параллельный</source>
        <translation>Parallel</translation>
    </message>
    <message>
        <source>Последовательный</source>
        <translation>Sequential</translation>
    </message>
    <message>
        <source>Цифровой</source>
        <translation>Digital</translation>
    </message>
    <message>
        <source>Частотный</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Импульсный</source>
        <translation>Pulse</translation>
    </message>
    <message>
        <source>Аналоговый</source>
        <translation>Analog</translation>
    </message>
    <message>
        <source>Низкий</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>Высокий</source>
        <translation>High</translation>
    </message>
    <message>
        <source>сек</source>
        <translation>s</translation>
    </message>
    <message>
        <source>мс</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>Трансляция в RS-232 (сервер %1)</source>
        <translation>Relaying to RS-232 (server %1)</translation>
    </message>
    <message>
        <source>Трансляция в RS-485 (сервер %1)</source>
        <translation>Relaying to RS-485 (server %1)</translation>
    </message>
    <message>
        <source>Инженерный сервер (7)</source>
        <translation>Engineering server (7)</translation>
    </message>
    <message>
        <source>CSD-соединение</source>
        <translation>CSD connection</translation>
    </message>
    <message>
        <source>Настройки SIM-карты %1</source>
        <translation>SIM card %1 settings</translation>
    </message>
    <message>
        <source>Авторизованные телефоны</source>
        <translation>Authorized phones</translation>
    </message>
    <message>
        <source>Интерфейс RS-232</source>
        <translation>RS-232 interface</translation>
    </message>
    <message>
        <source>Интерфейс RS-485</source>
        <translation>RS-485 interface</translation>
    </message>
    <message>
        <source>Мультифункциональный вход %1</source>
        <translation>Multifunction input %1</translation>
    </message>
    <message>
        <source>Внешние датчики температуры</source>
        <translation>External temperature sensors</translation>
    </message>
    <message>
        <source>Тип соединения</source>
        <translation>Connection type</translation>
    </message>
    <message>
        <source>Адрес сервера:</source>
        <translation>Server address:</translation>
    </message>
    <message>
        <source>Время удержания сессии, сек:</source>
        <translation>Session hold time, s:</translation>
    </message>
    <message>
        <source>Тип интерфейса</source>
        <translation>Interface type</translation>
    </message>
    <message>
        <source>APN:</source>
        <translation>APN:</translation>
    </message>
    <message>
        <source>Имя пользователя:</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>Пароль:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>Код запроса баланса SIM:</source>
        <translation>SIM balance request code:</translation>
    </message>
    <message>
        <source>Включить доступ по пин-коду:</source>
        <translation>Enable PIN access:</translation>
    </message>
    <message>
        <source>Пин-код доступа к устройству:</source>
        <translation>Device access PIN:</translation>
    </message>
    <message>
        <source>Номер телефона %1:</source>
        <translation>Phone number %1:</translation>
    </message>
    <message>
        <source>Скорость обмена, бит/с:</source>
        <translation>Baud rate, bit/s:</translation>
    </message>
    <message>
        <source>Количество бит данных:</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>Контроль четности:</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>Длительность стоп-бита:</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>Время ожидания ответа, мс:</source>
        <translation>Answer timeout, ms:</translation>
    </message>
    <message>
        <source>Режим работы с серверами:</source>
        <translation>Server mode:</translation>
    </message>
    <message>
        <source>Таймаут ожидания запросов с сервера, сек:</source>
        <translation>Server request timeout, s:</translation>
    </message>
    <message>
        <source>Кол-во попыток соединения:</source>
        <translation>Connection attempts:</translation>
    </message>
    <message>
        <source>Пауза между попытками соединения с сервером, сек:</source>
        <translation>Pause between server connection attempts, s:</translation>
    </message>
    <message>
        <source>Тип входа:</source>
        <translation>Input type:</translation>
    </message>
    <message>
        <source>Активный уровень:</source>
        <translation>Active level:</translation>
    </message>
    <message>
        <source>Датчик температуры %1</source>
        <translation>Temperature sensor %1</translation>
    </message>
    <message>
        <source>Режим добавления датчиков</source>
        <translation>Sensor enrolment mode</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>слишком большой для файла настроек (%1 байт)</source>
        <translation>too large for a settings file (%1 bytes)</translation>
    </message>
    <message>
        <source>слишком большой для файла настроек</source>
        <translation>too large for a settings file</translation>
    </message>
    <message>
        <source>слишком короткий для файла настроек (%1 байт)</source>
        <translation>too short for a settings file (%1 bytes)</translation>
    </message>
    <message>
        <source>загружено записей: %1 из %2%3</source>
        <translation>records loaded: %1 of %2%3</translation>
    </message>
    <message>
        <source>, файл обрывается посреди записи</source>
        <translation>, the file ends in the middle of a record</translation>
    </message>
</context>
<context>
    <name>SettingsJson</name>
    <message>
        <source>%1 байт: короче кода и заголовка файла настроек</source>
        <translation>%1 bytes: shorter than the code and header of a settings file</translation>
    </message>
    <message>
        <source>заголовок не «SETTINGS» и восемь нулей</source>
        <translation>the header is not “SETTINGS” and eight zeros</translation>
    </message>
    <message>
        <source>лишняя запись %1 по смещению %2</source>
        <translation>extra record %1 at offset %2</translation>
    </message>
    <message>
        <source>по смещению %1 ожидается запись %2 из %3 байт, а там %4 из %5 байт</source>
        <translation>at offset %1 record %2 of %3 bytes is expected, but there is %4 of %5 bytes</translation>
    </message>
    <message>
        <source>файл обрывается внутри записи по смещению %1</source>
        <translation>the file ends inside the record at offset %1</translation>
    </message>
    <message>
        <source>нет настроек %1</source>
        <translation>settings %1 missing</translation>
    </message>
    <message>
        <source>код подлинности не совпадает с содержимым</source>
        <translation>the authentication code does not match the content</translation>
    </message>
    <message>
        <source>ожидается «%1»</source>
        <translation>expected “%1”</translation>
    </message>
    <message>
        <source>ожидается версия %1</source>
        <translation>expected version %1</translation>
    </message>
    <message>
        <source>неизвестный ключ</source>
        <translation>unknown key</translation>
    </message>
    <message>
        <source>логическое значение</source>
        <translation>boolean</translation>
    </message>
    <message>
        <source>число</source>
        <translation>number</translation>
    </message>
    <message>
        <source>строка</source>
        <translation>string</translation>
    </message>
    <message>
        <source>массив</source>
        <translation>array</translation>
    </message>
    <message>
        <source>объект</source>
        <translation>object</translation>
    </message>
    <message>
        <source>ничего</source>
        <translation>nothing</translation>
    </message>
    <message>
        <source>ожидается %1, а не %2</source>
        <translation>expected %1, not %2</translation>
    </message>
    <message>
        <source>отсутствует</source>
        <translation>missing</translation>
    </message>
    <message>
        <source>элементов %1, ожидается %2</source>
        <translation>%1 elements, expected %2</translation>
    </message>
    <message>
        <source>ожидается {&quot;hex&quot;: &quot;...&quot;} из %1 шестнадцатеричных цифр</source>
        <translation>expected {&quot;hex&quot;: &quot;...&quot;} of %1 hex digits</translation>
    </message>
    <message>
        <source>%1 не целое неотрицательное число</source>
        <translation>%1 is not a non-negative integer</translation>
    </message>
    <message>
        <source>%1 вне диапазона %2…%3</source>
        <translation>%1 is out of range %2…%3</translation>
    </message>
    <message>
        <source>true или false</source>
        <translation>true or false</translation>
    </message>
    <message>
        <source>символ U+%1 не записать в Windows-1251</source>
        <translation>character U+%1 cannot be written in Windows-1251</translation>
    </message>
    <message>
        <source>текст не записать в Windows-1251</source>
        <translation>the text cannot be written in Windows-1251</translation>
    </message>
    <message>
        <source>%1 байт, а поле вмещает %2</source>
        <translation>%1 bytes, but the field holds %2</translation>
    </message>
    <message>
        <source>ожидается строка из %1 шестнадцатеричных цифр</source>
        <translation>expected a string of %1 hex digits</translation>
    </message>
    <message>
        <source>%1 не из значений %2</source>
        <translation>%1 is not one of %2</translation>
    </message>
    <message>
        <source>$: не JSON: %1 (смещение %2)</source>
        <translation>$: not JSON: %1 (offset %2)</translation>
    </message>
    <message>
        <source>$: ожидается объект</source>
        <translation>$: expected an object</translation>
    </message>
</context>
<context>
    <name>SettingsOrigin</name>
    <message>
        <source>Настройки: не считаны из устройства и не загружены из файла</source>
        <translation>Settings: not read from a device nor loaded from a file</translation>
    </message>
    <message>
        <source>Настройки: считаны из %1 в %2</source>
        <translation>Settings: read from %1 at %2</translation>
    </message>
    <message>
        <source>Настройки: из файла %1 (%2)</source>
        <translation>Settings: from file %1 (%2)</translation>
    </message>
    <message>
        <source>, не хватало %1 настроек</source>
        <translation>, %1 settings were missing</translation>
    </message>
</context>
<context>
    <name>SettingsText</name>
    <message>
        <source>Настройки сохранены в %1</source>
        <translation>Settings saved to %1</translation>
    </message>
    <message>
        <source>это не файл настроек .ksf (нет заголовка SETTINGS)</source>
        <translation>not a .ksf settings file (no SETTINGS header)</translation>
    </message>
    <message>
        <source>Настройки совпадают</source>
        <translation>Settings are equal</translation>
    </message>
    <message>
        <source>Различающихся настроек: %1</source>
        <translation>Settings that differ: %1</translation>
    </message>
    <message>
        <source>Ошибка: %1</source>
        <translation>Error: %1</translation>
    </message>
    <message>
        <source>не удается открыть: %1</source>
        <translation>cannot open: %1</translation>
    </message>
    <message>
        <source>слишком большой (больше %1 байт)</source>
        <translation>too large (over %1 bytes)</translation>
    </message>
    <message>
        <source>не удается записать: %1</source>
        <translation>cannot write: %1</translation>
    </message>
    <message>
        <source>не удается сохранить: %1</source>
        <translation>cannot save: %1</translation>
    </message>
</context>
<context>
    <name>SettingsUploadCheck</name>
    <message>
        <source>Попытка передачи пустых настроек</source>
        <translation>Attempt to write empty settings</translation>
    </message>
    <message>
        <source>Пин-код доступа должен состоять из 4 цифр</source>
        <translation>The access PIN must be 4 digits</translation>
    </message>
</context>
<context>
    <name>SettingsViews</name>
    <message>
        <source>Может быть четным (&quot;even&quot;, когда общее число единичных битов в принятых данных, включая сам бит четности, должно быть четным),
нечетным (&quot;odd&quot;, когда общее число единичных битов в принятых данных, включая сам бит четности, должно быть четным) или вообще отсутствовать</source>
        <translation>May be even (&quot;even&quot;: the total number of one bits in the received data, the parity bit included, must be even),
odd (&quot;odd&quot;: the total number of one bits in the received data, the parity bit included, must be odd) or absent</translation>
    </message>
    <message>
        <source>В формате 255.255.255.255:65536 или </source>
        <translation>In the format 255.255.255.255:65536 or </translation>
    </message>
    <message>
        <source>Если в течение указанного времени нет обмена данными по TCP терминал разорвет и снова установит сессию</source>
        <translation>If no data is exchanged over TCP for this time, the terminal drops the session and sets it up again</translation>
    </message>
    <message>
        <source>Скорость обмена данными</source>
        <translation>Data exchange rate</translation>
    </message>
    <message>
        <source>Количество бит данных</source>
        <translation>Number of data bits</translation>
    </message>
    <message>
        <source>Может составлять половину, одну, полторы или две длительности бита</source>
        <translation>May be a half, one, one and a half or two bit times</translation>
    </message>
    <message>
        <source>Терминал будет ожидать данных от устройства в течение этого времени</source>
        <translation>The terminal waits this long for data from the device</translation>
    </message>
    <message>
        <source>Режим работы с серверами</source>
        <translation>Server mode</translation>
    </message>
    <message>
        <source>Таймаут ожидания запросов с сервера 10...3600 сек</source>
        <translation>Server request timeout 10...3600 s</translation>
    </message>
    <message>
        <source>Кол-во попыток соединения 1...20</source>
        <translation>Connection attempts 1...20</translation>
    </message>
    <message>
        <source>Пауза между попытками соединения с сервером 10...3600 сек</source>
        <translation>Pause between server connection attempts 10...3600 s</translation>
    </message>
    <message>
        <source>Выберите тип входа</source>
        <translation>Choose the input type</translation>
    </message>
    <message>
        <source>При подаче на вход активного уровня состояние датчика станет равно 1</source>
        <translation>When the active level is applied to the input, the sensor state becomes 1</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>Добавить датчики</source>
        <translation>Add sensors</translation>
    </message>
    <message>
        <source>Настройки соединений</source>
        <translation>Connection settings</translation>
    </message>
    <message>
        <source>Настройки сети</source>
        <translation>Network settings</translation>
    </message>
</context>
<context>
    <name>StateHistory</name>
    <message>
        <source>В</source>
        <translation>V</translation>
    </message>
    <message>
        <source>град.</source>
        <translation>°C</translation>
    </message>
    <message>
        <source>Время с перезагрузки</source>
        <translation>Time since restart</translation>
    </message>
    <message>
        <source>сек.</source>
        <translation>s</translation>
    </message>
    <message>
        <source>Аналоговый вход %1</source>
        <translation>Analog input %1</translation>
    </message>
    <message>
        <source>Импульсный вход %1</source>
        <translation>Pulse input %1</translation>
    </message>
    <message>
        <source>имп.</source>
        <translation>pulses</translation>
    </message>
    <message>
        <source>Частотный вход %1</source>
        <translation>Frequency input %1</translation>
    </message>
    <message>
        <source>Гц</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>Температура внутренняя</source>
        <translation>Internal temperature</translation>
    </message>
    <message>
        <source>Напряжение питания</source>
        <translation>Supply voltage</translation>
    </message>
    <message>
        <source>Температура 1-Wire %1</source>
        <translation>1-Wire temperature %1</translation>
    </message>
    <message>
        <source>Датчики температуры 1-Wire</source>
        <translation>1-Wire temperature sensors</translation>
    </message>
    <message>
        <source>MCC</source>
        <translation>MCC</translation>
    </message>
    <message>
        <source>MNC</source>
        <translation>MNC</translation>
    </message>
    <message>
        <source>LAC</source>
        <translation>LAC</translation>
    </message>
    <message>
        <source>CELLID</source>
        <translation>CELLID</translation>
    </message>
    <message>
        <source>Уровень сигнала</source>
        <translation>Signal level</translation>
    </message>
    <message>
        <source>Трафик</source>
        <translation>Traffic</translation>
    </message>
    <message>
        <source>Сервер %1: отправлено</source>
        <translation>Server %1: sent</translation>
    </message>
    <message>
        <source>кБ</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>Сервер %1: принято</source>
        <translation>Server %1: received</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
</context>
<context>
    <name>StateReport</name>
    <message>
        <source>на связи</source>
        <translation>connected</translation>
    </message>
    <message>
        <source>нет соединения</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source>вкл.</source>
        <translation>on</translation>
    </message>
    <message>
        <source>выкл.</source>
        <translation>off</translation>
    </message>
    <message>
        <source>нет связи</source>
        <translation>no link</translation>
    </message>
</context>
<context>
    <name>StateViews</name>
    <message>
        <source>В</source>
        <translation>V</translation>
    </message>
    <message>
        <source>град.</source>
        <translation>°C</translation>
    </message>
    <message>
        <source>Гц</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>имп.</source>
        <translation>pulses</translation>
    </message>
    <message>
        <source>кБ</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>сек.</source>
        <translation>s</translation>
    </message>
    <message>
        <source> (инженерный)</source>
        <translation> (service)</translation>
    </message>
    <message>
        <source>Версия прошивки:</source>
        <translation>Firmware version:</translation>
    </message>
    <message>
        <source>Версия прошивки модема:</source>
        <translation>Modem firmware version:</translation>
    </message>
    <message>
        <source>Время с последней перезагрузки:</source>
        <translation>Time since last restart:</translation>
    </message>
    <message>
        <source>Состояние соединений:</source>
        <translation>Connections:</translation>
    </message>
    <message>
        <source>Сервер %1</source>
        <translation>Server %1</translation>
    </message>
    <message>
        <source>на связи</source>
        <translation>connected</translation>
    </message>
    <message>
        <source>нет соединения</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source>Рестарт устройства</source>
        <translation>Restart device</translation>
    </message>
    <message>
        <source>Сброс к заводским настройкам</source>
        <translation>Reset to factory settings</translation>
    </message>
    <message>
        <source>Цифровой выход</source>
        <translation>Digital output</translation>
    </message>
    <message>
        <source>вкл.</source>
        <translation>on</translation>
    </message>
    <message>
        <source>выкл.</source>
        <translation>off</translation>
    </message>
    <message>
        <source>Вкл.</source>
        <translation>On</translation>
    </message>
    <message>
        <source>Выкл.</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Аналоговый вход %1:  </source>
        <translation>Analog input %1:  </translation>
    </message>
    <message>
        <source>Цифровой вход %1:  </source>
        <translation>Digital input %1:  </translation>
    </message>
    <message>
        <source>Импульсный вход %1:  </source>
        <translation>Pulse input %1:  </translation>
    </message>
    <message>
        <source>Частотный вход %1:  </source>
        <translation>Frequency input %1:  </translation>
    </message>
    <message>
        <source>Датчик температуры внутренний:</source>
        <translation>Internal temperature sensor:</translation>
    </message>
    <message>
        <source>Напряжение питания:</source>
        <translation>Supply voltage:</translation>
    </message>
    <message>
        <source>Датчики температуры 1-Wire:</source>
        <translation>1-Wire temperature sensors:</translation>
    </message>
    <message>
        <source>Датчик температуры %1:  </source>
        <translation>Temperature sensor %1:  </translation>
    </message>
    <message>
        <source>Уровень сигнала:</source>
        <translation>Signal level:</translation>
    </message>
    <message>
        <source>Трафик сервер %1:</source>
        <translation>Traffic, server %1:</translation>
    </message>
    <message>
        <source>Отправлено:</source>
        <translation>Sent:</translation>
    </message>
    <message>
        <source>Принято:</source>
        <translation>Received:</translation>
    </message>
    <message>
        <source>Сбросить</source>
        <translation>Reset</translation>
    </message>
</context>
<context>
    <name>State_item</name>
    <message>
        <source>нет связи</source>
        <translation>no link</translation>
    </message>
    <message>
        <source>Ошибка!</source>
        <translation>Error!</translation>
    </message>
</context>
<context>
    <name>UserPrompts</name>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>combo_widget</name>
    <message>
        <source>Неизвестное значение</source>
        <translation>Unknown value</translation>
    </message>
</context>
<context>
    <name>connection_window</name>
    <message>
        <source>Выбор соединения</source>
        <translation>Choose connection</translation>
    </message>
    <message>
        <source>Соединиться через USB</source>
        <translation>Connect via USB</translation>
    </message>
    <message>
        <source>Соединиться по TCP</source>
        <translation>Connect via TCP</translation>
    </message>
    <message>
        <source>Адрес:</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>Порт:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Переподключаться автоматически</source>
        <translation>Reconnect automatically</translation>
    </message>
    <message>
        <source>После перезагрузки, обновления прошивки или потери связи соединяться с тем же устройством снова, каждые 2 с в течение 2 минут</source>
        <translation>After a restart, a firmware update or a lost connection, connect to the same device again, every 2 s for 2 minutes</translation>
    </message>
    <message>
        <source>Соединиться</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>select_device_dialog</name>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Обновить</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>По алфавиту</source>
        <translation>Alphabetical</translation>
    </message>
    <message>
        <source>Выберите устройство</source>
        <translation>Choose a device</translation>
    </message>
    <message>
        <source>Фильтр: номер или имя устройства</source>
        <translation>Filter: device number or name</translation>
    </message>
</context>
</TS>
