// A stand-in for an installer wizard: it reports the runtime that runs it, its working directory
// and its arguments, one item a line, so a test can check what the launcher started and how.
//
// -Dwizard.stderr=TEXT prints TEXT on standard error; -Dwizard.exit=N exits with code N.
public class SampleWizard {
    public static void main(String[] args) {
        System.out.println("Sample wizard is running");
        for (String name : new String[] {"java.version", "java.vendor", "java.home", "user.dir"}) {
            System.out.println(name + "=" + System.getProperty(name));
        }
        System.out.println("args=" + args.length);
        for (int i = 0; i < args.length; i++) {
            System.out.println("arg[" + i + "]=" + args[i]);
        }
        System.out.flush();

        String err = System.getProperty("wizard.stderr");
        if (err != null) {
            System.err.println(err);
            System.err.flush();
        }

        int code = 0;
        String exit = System.getProperty("wizard.exit");
        if (exit != null) {
            try {
                code = Integer.parseInt(exit.trim());
            } catch (NumberFormatException e) {
                code = 0;
            }
        }
        System.exit(code);
    }
}
